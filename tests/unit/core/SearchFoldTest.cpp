#include "text/SearchFold.h"

#include <QByteArray>

#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <string>
#include <vector>

namespace kelvo {
namespace {

// What the fold stands for: ICU's NFKC_Casefold of the whole text at once.
std::string IcuFolded(const std::string& utf8) {
    UErrorCode error = U_ZERO_ERROR;
    const icu::Normalizer2* folding = icu::Normalizer2::getNFKCCasefoldInstance(error);
    std::string folded;
    folding->normalize(icu::UnicodeString::fromUTF8(utf8), error).toUTF8String(folded);
    EXPECT_TRUE(U_SUCCESS(error)) << u_errorName(error);
    return folded;
}

std::string QtLowerAscii(const std::string& ascii) {
    return QByteArray::fromStdString(ascii).toLower().toStdString();
}

// The byte offsets of the code points of a UTF-8 text.
std::vector<size_t> CodePointStarts(const std::string& utf8) {
    std::vector<size_t> starts;
    for (size_t at = 0; at < utf8.size(); ++at) {
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80)
            starts.push_back(at);
    }
    return starts;
}

TEST(SearchFoldTest, AsciiIsLoweredAtEveryPositionOfTheEightByteSteps) {
    for (const size_t length : {7u, 8u, 9u, 16u, 17u}) {
        for (size_t upper = 0; upper < length; ++upper) {
            std::string text;
            for (size_t i = 0; i < length; ++i)
                text.push_back(char('a' + i % 26));
            text[upper] = char(text[upper] - 32);
            EXPECT_EQ(SearchFolded(text), QtLowerAscii(text))
                << "length " << length << ", upper case at " << upper;
        }
    }
    // Every ASCII byte in every lane: only A to Z change; @ [ ` { are the
    // neighbours a range test could take in.
    std::string all;
    for (int c = 1; c < 128; ++c)
        all.push_back(char(c));
    for (size_t shift = 0; shift < 9; ++shift) {
        const std::string text = std::string(shift, 'Q') + all;
        EXPECT_EQ(SearchFolded(text), QtLowerAscii(text)) << "shifted by " << shift;
    }
}

TEST(SearchFoldTest, AMarkJoinsTheAsciiLetterBeforeItWhereverTheStepEnds) {
    const std::string acute = "\u0301";
    EXPECT_EQ(SearchFolded("e" + acute), "\u00E9");
    EXPECT_EQ(SearchFolded("E" + acute), SearchFolded("\u00C9"));
    // The accented letter at positions 7 to 17: the last of an eight-byte
    // step, the first after it, and in between.
    for (const size_t before : {6u, 7u, 8u, 9u, 15u, 16u}) {
        const std::string text = std::string(before, 'A') + "E" + acute + "XY";
        EXPECT_EQ(SearchFolded(text), std::string(before, 'a') + "\u00E9xy")
            << before << " letters before";
    }
    // A mark right after eight plain letters, on the step's last byte.
    EXPECT_EQ(SearchFolded("ABCDEFGH" + acute), IcuFolded("ABCDEFGH" + acute));
}

TEST(SearchFoldTest, CaseFoldingIsFullAndInvisibleCharactersAreDropped) {
    EXPECT_EQ(SearchFolded("Straße"), "strasse");
    EXPECT_EQ(SearchFolded("STRAẞE"), "strasse");
    EXPECT_EQ(SearchFolded("ﬁle ﬂow"), "file flow");
    EXPECT_EQ(SearchFolded("soft\u00ADhy\u200Bphen"), "softhyphen");
}

TEST(SearchFoldTest, WidthsAndVoicedKanaMeet) {
    EXPECT_EQ(SearchFolded("ＡＢＣ"), "abc");
    EXPECT_EQ(SearchFolded("ｘＹｚ１２３"), "xyz123");
    EXPECT_EQ(SearchFolded("ﾊﾞｲﾄ"), SearchFolded("バイト"));
    EXPECT_EQ(SearchFolded("ﾊﾟ"), SearchFolded("パ"));
    EXPECT_EQ(SearchFolded("ﾊﾞｲﾄ"), "バイト");
    EXPECT_EQ(SearchFolded("ハ\u3099"), "バ");
    EXPECT_EQ(SearchFolded("は\u309A"), "ぱ");
    // Unvoiced: a following ｲ is no mark and stays its own kana.
    EXPECT_EQ(SearchFolded("ﾊｲ"), "ハイ");
}

TEST(SearchFoldTest, KanjiKanaAndJapanesePunctuationStayAsTheyAre) {
    for (const std::string text :
         {"壁紙の画像", "ひらがな", "カタカナー・ヽヾ", "「題」、。", "㐀𠀋"}) {
        EXPECT_EQ(SearchFolded(text), text);
        EXPECT_EQ(SearchFolded(text), IcuFolded(text));
    }
}

TEST(SearchFoldTest, InvalidBytesFoldAsReplacementAndMakeItFalse) {
    const std::string replacement = "\uFFFD";
    std::string out = "kept ";
    EXPECT_FALSE(AppendSearchFolded("A\xFF"
                                    "B",
                                    out));
    EXPECT_EQ(out, "kept a" + replacement + "b");

    // The text around stays; what lies between is replacements only.
    const struct {
        std::string bytes, before, after;
    } cases[] = {
        {"X\xC0\xAFY", "x", "y"},         // overlong
        {"X\xED\xA0\x80Y", "x", "y"},     // a surrogate
        {"X\xF4\x90\x80\x80Y", "x", "y"}, // beyond U+10FFFF
        {"X\xE5\xA3Y", "x", "y"},         // cut short
        {"X\x80", "x", ""},               // a stray continuation byte, last
    };
    for (const auto& c : cases) {
        std::string folded;
        EXPECT_FALSE(AppendSearchFolded(c.bytes, folded)) << c.bytes;
        std::string middle = folded;
        ASSERT_TRUE(middle.starts_with(c.before) && middle.ends_with(c.after)) << folded;
        middle = middle.substr(c.before.size(), middle.size() - c.before.size() - c.after.size());
        EXPECT_FALSE(middle.empty());
        for (size_t at = 0; at < middle.size(); at += replacement.size())
            EXPECT_EQ(middle.substr(at, replacement.size()), replacement) << c.bytes;
    }
    std::string shiftJis; // 壁紙
    EXPECT_FALSE(AppendSearchFolded("\x95\xC7\x8E\x86", shiftJis));
    std::string valid;
    EXPECT_TRUE(AppendSearchFolded("Straße 壁紙 ﾊﾞｲﾄ e\u0301", valid));
    EXPECT_TRUE(AppendSearchFolded("", valid));
}

// Strings of many scripts, with marks, ligatures, compatibility forms and
// both cases, mixed with ASCII runs long enough for the eight-byte steps.
const std::vector<std::string> kMixedTexts = {
    "Straße STRASSE",
    "ΣΊΣΥΦΟΣ σίσυφος ς",
    "ＡＢＣｄｅｆ and ＡＢＣDEF",
    "ﾊﾞｲﾄ料金 ｶﾞｷﾞｸﾞｹﾞｺﾞ ﾊﾟﾋﾟﾌﾟ",
    "ｳﾞｧｲｵﾘﾝ ヴァイオリン ウ\u3099",
    "㈱壁紙 ① ⅷ ㍻ ㌔",
    "ﬁle ﬂower ǄǅǆA",
    "İSTANBUL ıi Ⅻ",
    "e\u0323\u0301 e\u0301\u0323 x\u0308\u0301",
    "K Å ℌ 𝐀𝐁𝐂 Ω",
    "카페 한국어 CAFÉ café",
    "😀 emoji 👍🏽 Photo_2006.JPG",
    "\u3099ア at the start, \u0301 after a space",
    "ＡＢＣＤＥＦＧＨＩ\u0301ＪＫ",
    "https://Example.COM/Ｐａｔｈ?q=ﾃｽﾄ&X=1",
    "C:\\画像\\ＰＩＣＴＵＲＥＳ\\",
    "ㄱㅏ",
    "ﾡￂ",
    "soft\u00ADhyphen zero\u200Bwidth e\u00AD\u0301 ❤\uFE0F",
    "ŉ ΐ ﬅ ǰ ẞ Ǉ ᾼ",
};

TEST(SearchFoldTest, FoldsAsNfkcCasefoldFoldsTheWholeText) {
    for (const std::string& text : kMixedTexts)
        EXPECT_EQ(SearchFolded(text), IcuFolded(text)) << text;
}

// So the fold of a whole log holds the fold of each of its values: wherever
// NFKC joins nothing across a cut, the fold does not either.
TEST(SearchFoldTest, AFoldIsTheFoldsOfItsPiecesCutWhereNothingComposesAcross) {
    int cuts = 0;
    for (const std::string& text : kMixedTexts) {
        const std::string whole = SearchFolded(text);
        for (const size_t cut : CodePointStarts(text)) {
            const std::string head = text.substr(0, cut);
            const std::string tail = text.substr(cut);
            if (IcuFolded(head) + IcuFolded(tail) != IcuFolded(text))
                continue; // before a mark, a voiced mark or a Hangul letter
            ++cuts;
            EXPECT_EQ(SearchFolded(head) + SearchFolded(tail), whole)
                << text << " cut at byte " << cut;
        }
    }
    EXPECT_GT(cuts, 200);
}

TEST(SearchFoldTest, WordsAreSplitAtSpacesOfEitherWidthAndFolded) {
    EXPECT_EQ(SearchWords("  Sunset　ﾊﾞｲﾄ\tＢＥＡＣＨ  壁紙 "),
              (std::vector<std::string>{"sunset", "バイト", "beach", "壁紙"}));
    EXPECT_EQ(SearchWords("a\u3000\u3000b"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(SearchWords("").empty());
    EXPECT_TRUE(SearchWords(" \u3000 \t").empty());
    EXPECT_EQ(SearchWords("say \"Cheese\""), (std::vector<std::string>{"say", "\"cheese\""}));
}

} // namespace
} // namespace kelvo
