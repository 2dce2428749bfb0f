#include "text/TreeOutline.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kelvo {
namespace {

using Lines = std::vector<std::pair<int, QString>>;

Lines LinesOf(const TreeOutline& outline) {
    Lines lines;
    for (const OutlineEntry& entry : outline.entries)
        lines.emplace_back(entry.level, entry.text);
    return lines;
}

TEST(TreeOutlineReading, NestsByLeadingTabsAndSpaces) {
    const TreeOutline outline = ReadTreeOutline("a\r\n\tb\r\n\t\tc\r\n \td\r\ne\r\n\t f\r\n");
    // A blank and a tab are one level each; "f" is two levels below "e".
    EXPECT_EQ(LinesOf(outline), (Lines{{0, "a"}, {1, "b"}, {2, "c"}, {2, "d"}, {0, "e"}}));
    EXPECT_EQ(outline.invalidLine, 6);
}

TEST(TreeOutlineReading, ReturnsToAnyShallowerLevel) {
    const TreeOutline outline = ReadTreeOutline("a\r\n\tb\r\n\t\tc\r\n\td\r\ne\r\n");
    EXPECT_EQ(LinesOf(outline), (Lines{{0, "a"}, {1, "b"}, {2, "c"}, {1, "d"}, {0, "e"}}));
    EXPECT_EQ(outline.invalidLine, 0);
}

TEST(TreeOutlineReading, TakesTheFirstLineAsTopLevel) {
    EXPECT_EQ(LinesOf(ReadTreeOutline("\t\ta\r\n\tb\r\n")), (Lines{{0, "a"}, {1, "b"}}));
    const TreeOutline tooDeep = ReadTreeOutline("\ta\r\n\t\t\tb\r\nc\r\n");
    EXPECT_EQ(LinesOf(tooDeep), (Lines{{0, "a"}}));
    EXPECT_EQ(tooDeep.invalidLine, 2);
}

TEST(TreeOutlineReading, AcceptsLoneLineFeedsAndSkipsEmptyLines) {
    const TreeOutline outline = ReadTreeOutline("a\n\tb\r\n\r\n\n\tc\nd");
    EXPECT_EQ(LinesOf(outline), (Lines{{0, "a"}, {1, "b"}, {1, "c"}, {0, "d"}}));
    // Line numbers count the skipped lines too.
    EXPECT_EQ(ReadTreeOutline("a\n\n\t\tb\n").invalidLine, 3);
    EXPECT_TRUE(ReadTreeOutline("").entries.isEmpty());
    EXPECT_TRUE(ReadTreeOutline("\r\n\n").entries.isEmpty());
}

// Found by fuzzing: such a line became a node without text, written back as
// an empty line (or a tab) and then lost or moved.
TEST(TreeOutlineReading, SkipsLinesOfBlanksOnlyLikeEmptyLines) {
    const TreeOutline outline = ReadTreeOutline("  \r\na\r\n\t\r\n\t \t\r\n\tb\r\n");
    EXPECT_EQ(LinesOf(outline), (Lines{{0, "a"}, {1, "b"}}));
    EXPECT_EQ(outline.invalidLine, 0);
    // Written first, a mark in front of the first text would pass for the
    // file's byte-order mark; it is dropped at once.
    EXPECT_EQ(LinesOf(ReadTreeOutline("\t\xEF\xBB\xBFroot\n\tb\n")),
              (Lines{{0, "root"}, {1, "b"}}));
}

TEST(TreeOutlineReading, KeepsInnerAndTrailingBlanksOfTheText) {
    EXPECT_EQ(LinesOf(ReadTreeOutline("a b \r\n")), (Lines{{0, "a b "}}));
}

TEST(TreeOutlineReading, DecodesShiftJisWhenNotUtf8) {
    // 画像 in CP932, whose second byte is "\".
    EXPECT_EQ(LinesOf(ReadTreeOutline("\x89\xE6\x91\x9C\r\n")), (Lines{{0, "画像"}}));
    EXPECT_EQ(LinesOf(ReadTreeOutline("画像\r\n")), (Lines{{0, "画像"}}));
}

TEST(TreeOutlineWriting, WritesTabsAndCrLfAsUtf8) {
    EXPECT_EQ(WriteTreeOutline({}), "");
    const QList<OutlineEntry> entries{{0, "画像"}, {1, "a"}, {2, "b"}, {0, "c"}};
    EXPECT_EQ(WriteTreeOutline(entries), "画像\r\n\ta\r\n\t\tb\r\nc\r\n");
    EXPECT_EQ(LinesOf(ReadTreeOutline(WriteTreeOutline(entries))),
              (Lines{{0, "画像"}, {1, "a"}, {2, "b"}, {0, "c"}}));
}

TEST(TreeOutlineWriting, ALineBreakInATextNeverStartsANodeOfItsOwn) {
    const QList<OutlineEntry> entries = {{0, "a\r\nb"}, {1, "c\nd"}};
    EXPECT_EQ(WriteTreeOutline(entries), "a\r b\r\n\tc d\r\n");
    EXPECT_EQ(ReadTreeOutline(WriteTreeOutline(entries)).entries.size(), 2);
}

} // namespace
} // namespace kelvo
