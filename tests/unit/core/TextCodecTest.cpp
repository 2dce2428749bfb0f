#include "text/TextCodec.h"
#include "support/Tables.h"
#include "table/TMlb2.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvo {
namespace {

using testing::MakeTable;

// Shift-JIS (CP932) bytes of the texts the tests use.
constexpr std::string_view kKelvoSjis = "\x83\x50\x83\x8B\x83\x7B";  // ケルボ
constexpr std::string_view kSourceSjis = "\x83\x5C\x81\x5B\x83\x58"; // ソース, 0x5C as trail byte

TEST(Utf8Validation, AcceptsWellFormedTextOnly) {
    EXPECT_TRUE(IsValidUtf8("plain ASCII\t\r\n"));
    EXPECT_TRUE(IsValidUtf8("ケルボ ①～"));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x96\xBC")); // U+1F5BC, four bytes

    EXPECT_FALSE(IsValidUtf8(kKelvoSjis));
    EXPECT_FALSE(IsValidUtf8("\xE3\x82"));         // cut off at the end
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));     // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate half
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    // Past and inside long runs of ASCII, which are checked a word at a time.
    EXPECT_TRUE(IsValidUtf8("/home/taro/Pictures/壁紙/photo_0001.jpg"));
    EXPECT_FALSE(IsValidUtf8("/home/taro/Pictures/\x95\xC7\x8E\x86/photo.jpg"));
    EXPECT_FALSE(IsValidUtf8("01234567\x83"));
    EXPECT_FALSE(IsValidUtf8("0123456\xE3\x82"));
}

TEST(Utf8Validation, JudgesACharacterWhereverItStandsAmongWords) {
    // A word with a character not ASCII in it is checked from that character
    // on; every place in and across three words.
    for (size_t at = 0; at + 3 <= 24; ++at) {
        std::string text(24, 'a');
        text.replace(at, 3, "あ");
        EXPECT_TRUE(IsValidUtf8(text)) << at;
        text.replace(at, 3, "\x83\x50\x61"); // Shift-JIS ケ, then "a"
        EXPECT_FALSE(IsValidUtf8(text)) << at;
        text.replace(at, 3, "\xE3\x81\x61"); // cut short before an ASCII byte
        EXPECT_FALSE(IsValidUtf8(text)) << at;
    }
}

TEST(ShiftJisDecoding, ReadsWindowsTexts) {
    EXPECT_EQ(DecodeShiftJis(kSourceSjis), QStringLiteral("ソース"));
    EXPECT_EQ(DecodeShiftJis("C:\\\x89\xE6\x91\x9C\\"), QStringLiteral("C:\\画像\\"));
    // CP932 additions to plain Shift-JIS, and the Windows mapping of the wave dash.
    EXPECT_EQ(DecodeShiftJis("\x87\x40\x81\x60"), QStringLiteral("①～"));
    EXPECT_EQ(DecodeShiftJis("\xB1"), QStringLiteral("ｱ")); // half-width katakana
    // Control bytes stay as they are.
    const QString text = DecodeShiftJis(std::string("\x1A\x1C\x7F\t") + std::string(kKelvoSjis));
    EXPECT_EQ(text, QStringLiteral("\x1A\x1C\x7F\tケルボ"));
}

TEST(ShiftJisDecoding, ReplacesOnlyTheBadBytes) {
    EXPECT_EQ(DecodeShiftJis("a\x80\x62"), QStringLiteral("a\uFFFDb")); // 0x62: "b"
    EXPECT_EQ(DecodeShiftJis("ab\x83"), QStringLiteral("ab\uFFFD"));    // lone lead byte at the end
    EXPECT_EQ(DecodeShiftJis("\x83\nx"), QStringLiteral("\uFFFD\nx"));
    // Decoding is stateless: a lead byte left over does not leak into the next text.
    DecodeShiftJis("\x83");
    EXPECT_EQ(DecodeShiftJis(kKelvoSjis), QStringLiteral("ケルボ"));
}

TEST(FileText, DecodesUtf8WhenValidElseShiftJisAndEncodesUtf8WithoutByteOrderMark) {
    EXPECT_EQ(DecodeFileText("ケルボ"), QStringLiteral("ケルボ"));
    EXPECT_EQ(DecodeFileText(kKelvoSjis), QStringLiteral("ケルボ"));
    EXPECT_EQ(EncodeFileText(QStringLiteral("ケルボ")), "\xE3\x82\xB1\xE3\x83\xAB\xE3\x83\x9C");
    const QString mixed = QStringLiteral("C:\\画像\\ ① \U0001F5BC");
    EXPECT_EQ(DecodeFileText(EncodeFileText(mixed)), mixed);
}

TEST(TableEncoding, IsUtf8OnlyWhenEveryTextIs) {
    EXPECT_EQ(DetectTableEncoding(MakeTable({"名前", "場所"}, {{"ケルボ", "C:\\"}})),
              TextEncoding::Utf8);
    EXPECT_EQ(DetectTableEncoding(MakeTable({"name", std::string(kSourceSjis)}, {{"x", "y"}})),
              TextEncoding::ShiftJis);
    TMlb2 oddType = MakeTable({"name"}, {{"x"}});
    oddType.SetColumnType(1, kKelvoSjis);
    EXPECT_EQ(DetectTableEncoding(oddType), TextEncoding::ShiftJis);

    // 0xC3 0xA9 is "é" in UTF-8 but "ﾃｩ" in Shift-JIS; its neighbour decides.
    const TextEncoding encoding =
        DetectTableEncoding(MakeTable({"a", "b"}, {{"\xC3\xA9", kKelvoSjis}}));
    EXPECT_EQ(encoding, TextEncoding::ShiftJis);
    EXPECT_EQ(DecodeText("\xC3\xA9", encoding), QStringLiteral("ﾃｩ"));
    EXPECT_EQ(DecodeText("\xC3\xA9", TextEncoding::Utf8), QStringLiteral("é"));
}

} // namespace
} // namespace kelvo
