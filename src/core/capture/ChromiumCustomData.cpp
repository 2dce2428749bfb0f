#include "capture/ChromiumCustomData.h"

#include <QtEndian>

#include <cstdint>

namespace kelvo {
namespace {

// Walks the payload; every read checks what is left first.
class PayloadReader {
public:
    explicit PayloadReader(QByteArrayView payload) : payload_(payload) {}

    std::optional<uint32_t> Word() {
        if (Left() < 4)
            return std::nullopt;
        const auto value = qFromLittleEndian<uint32_t>(payload_.data() + at_);
        at_ += 4;
        return value;
    }

    std::optional<QString> String16() {
        const std::optional<uint32_t> length = Word();
        // A negative length (as Chromium's signed field) is no length at all.
        if (!length || *length > uint32_t(INT32_MAX) || *length > Left() / 2)
            return std::nullopt;
        const qsizetype bytes = qsizetype(*length) * 2;
        QString text(qsizetype(*length), Qt::Uninitialized);
        qFromLittleEndian<char16_t>(payload_.data() + at_, *length, text.data());
        at_ += Padded(bytes);
        if (at_ > payload_.size())
            return std::nullopt;
        return text;
    }

    qsizetype Left() const { return payload_.size() - at_; }

private:
    static qsizetype Padded(qsizetype bytes) { return (bytes + 3) & ~qsizetype(3); }

    QByteArrayView payload_;
    qsizetype at_ = 0;
};

} // namespace

std::optional<QList<std::pair<QString, QString>>> ReadChromiumCustomData(QByteArrayView blob) {
    if (blob.size() < 4)
        return std::nullopt;
    const auto payloadSize = qFromLittleEndian<uint32_t>(blob.data());
    if (payloadSize % 4 != 0 || payloadSize > uint64_t(blob.size() - 4))
        return std::nullopt;
    PayloadReader reader(blob.sliced(4, payloadSize));
    const std::optional<uint32_t> count = reader.Word();
    // Each pair takes at least two length words.
    if (!count || *count > uint64_t(reader.Left()) / 8)
        return std::nullopt;
    QList<std::pair<QString, QString>> pairs;
    pairs.reserve(*count);
    for (uint32_t i = 0; i < *count; ++i) {
        std::optional<QString> type = reader.String16();
        std::optional<QString> value = type ? reader.String16() : std::nullopt;
        if (!value)
            return std::nullopt;
        pairs.append({std::move(*type), std::move(*value)});
    }
    return pairs;
}

std::optional<QString> ChromiumCustomValue(QByteArrayView blob, const QString& type) {
    const std::optional<QList<std::pair<QString, QString>>> pairs = ReadChromiumCustomData(blob);
    if (!pairs)
        return std::nullopt;
    for (const auto& [key, value] : *pairs) {
        if (key == type)
            return value;
    }
    return std::nullopt;
}

} // namespace kelvo
