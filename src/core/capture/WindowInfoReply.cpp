#include "capture/WindowInfoReply.h"

#include "text/TextCodec.h"

namespace kelvo {
namespace {

QString Decoded(QByteArrayView bytes) {
    return DecodeFileText(std::string_view(bytes.data(), size_t(bytes.size())));
}

} // namespace

QString AddressFromWindowInfo(const QByteArray& reply) {
    if (reply.startsWith('"')) {
        // A closing quote followed by the comma ends the address.
        const qsizetype end = reply.indexOf("\",", 1);
        return end < 0 ? QString() : Decoded(QByteArrayView(reply).sliced(1, end - 1));
    }
    const qsizetype comma = reply.indexOf(',');
    if (comma < 3)
        return {};
    return Decoded(QByteArrayView(reply).sliced(1, comma - 2));
}

} // namespace kelvo
