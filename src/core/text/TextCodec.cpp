#include "text/TextCodec.h"

#include <cstdint>

#include "table/TMlb2.h"
#include "text/TextScan.h"

#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <optional>

namespace kelvo {

namespace {

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";

// glibc's CP932 table is the Windows one. Qt's codec of the same name (ICU)
// swaps the control bytes 0x1A, 0x1C and 0x7F and turns bad bytes into
// U+001A, which would garble files of the old program.
class Cp932ToUtf8 {
public:
    Cp932ToUtf8() : handle_(iconv_open("UTF-8", "CP932")) {}
    ~Cp932ToUtf8() {
        if (IsOpen())
            iconv_close(handle_);
    }
    Cp932ToUtf8(const Cp932ToUtf8&) = delete;
    Cp932ToUtf8& operator=(const Cp932ToUtf8&) = delete;

    // Nothing when the C library has no CP932 table.
    std::optional<std::string> Convert(std::string_view bytes) {
        if (!IsOpen())
            return std::nullopt;
        // Every CP932 character lies in the BMP: at most 3 UTF-8 bytes per
        // input byte, the replacement character included.
        std::string utf8(bytes.size() * 3, '\0');
        char* in = const_cast<char*>(bytes.data());
        size_t inLeft = bytes.size();
        char* out = utf8.data();
        size_t outLeft = utf8.size();
        while (inLeft > 0 && iconv(handle_, &in, &inLeft, &out, &outLeft) == size_t(-1)) {
            if (errno != EILSEQ && errno != EINVAL)
                break;
            // Replace the byte that cannot start a character and go on after it.
            ++in;
            --inLeft;
            out = std::copy(kUtf8Replacement.begin(), kUtf8Replacement.end(), out);
            outLeft -= kUtf8Replacement.size();
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        utf8.resize(utf8.size() - outLeft);
        return utf8;
    }

private:
    // iconv_open's failure is (iconv_t)-1, by its own definition.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    iconv_t handle_;
};

bool AllValidUtf8(const TMLBStringList& texts) {
    for (int i = 1; i <= texts.Count(); ++i) {
        if (!IsValidUtf8(texts.At(i).value_or(std::string_view())))
            return false;
    }
    return true;
}

bool IsPlainThreeByteSequence(const char* bytes) {
    const auto byte = [&](int i) { return static_cast<unsigned char>(bytes[i]); };
    return (byte(0) & 0xF0) == 0xE0 && byte(0) != 0xE0 && byte(0) != 0xED &&
           (byte(1) & 0xC0) == 0x80 && (byte(2) & 0xC0) == 0x80;
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    const size_t size = bytes.size();
    for (size_t at = 0; at < size;) {
        // Runs of ASCII, the bulk of a log, eight bytes at a time, then
        // straight to the first byte that is not ASCII.
        if (size - at >= sizeof(uint64_t)) {
            const uint64_t high = words::MarkHigh(words::Load(bytes.data() + at));
            if (high == 0) {
                at += sizeof(uint64_t);
                continue;
            }
            at += words::FirstMarked(high);
        }
        // Kana and ideographs, the bulk of the rest: three bytes led by E1
        // to EF but ED, which need no check for overlong forms or surrogates.
        const size_t kana = at;
        while (size - at >= 3 && IsPlainThreeByteSequence(bytes.data() + at))
            at += 3;
        if (at > kana)
            continue;
        const size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

QString DecodeShiftJis(std::string_view bytes) {
    // ASCII reads the same in CP932 (0x5C is a backslash there too).
    if (IsAscii(bytes))
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    if (const auto utf8 = Cp932ToUtf8().Convert(bytes))
        return QString::fromStdString(*utf8);
    // Without glibc's table, Qt's (ICU) is close enough for the printable range.
    return QStringDecoder("CP932", QStringDecoder::Flag::Stateless)
        .decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

QString DecodeFileText(std::string_view bytes) {
    return DecodeText(bytes, IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::ShiftJis);
}

std::string EncodeFileText(const QString& text) {
    return text.toStdString();
}

TextEncoding DetectTableEncoding(const TMlb2& table) {
    if (!AllValidUtf8(table.ColumnNames()) || !AllValidUtf8(table.ColumnTypes()))
        return TextEncoding::ShiftJis;
    for (int row = 1; row <= table.RowCount(); ++row) {
        const TMLBStringList* values = table.Rows().At(row);
        if (values && !AllValidUtf8(*values))
            return TextEncoding::ShiftJis;
    }
    return TextEncoding::Utf8;
}

QString DecodeText(std::string_view bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::ShiftJis)
        return DecodeShiftJis(bytes);
    // A mark in front is text like any other here: lines and values are
    // decoded one by one, and none of them starts a file.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

void ConvertTableToUtf8(TMlb2& table) {
    if (DetectTableEncoding(table) == TextEncoding::Utf8)
        return;
    const auto convert = [](std::string_view bytes) {
        return IsValidUtf8(bytes) ? std::string(bytes) : EncodeFileText(DecodeShiftJis(bytes));
    };
    TMlb2 converted;
    for (int n = 1; n <= table.ColumnCount(); ++n) {
        converted.AddColumn(convert(*table.GetColumnName(n)));
        converted.SetColumnType(n, convert(*table.GetColumnType(n)));
    }
    for (int r = 1; r <= table.RowCount(); ++r) {
        converted.AppendRow();
        converted.MoveLast();
        table.MoveTo(r);
        for (int n = 1; n <= table.ColumnCount(); ++n) {
            if (const Text value = table.GetValueAt(n))
                converted.SetValueAt(n, convert(*value));
        }
    }
    table = std::move(converted);
}

} // namespace kelvo
