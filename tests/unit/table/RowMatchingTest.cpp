#include "support/Tables.h"

#include "table/RowMatching.h"
#include "table/TMlb2.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace kelvo {
namespace {

using testing::AddRow;
using testing::MakeColumns;

// Matches on a one-column table whose only row holds row, absent when null.
bool RowMatches(Text row, std::string_view op, std::string_view value) {
    TMlb2 table;
    MakeColumns(table, {"V"});
    AddRow(table, {row});
    return table.Matches("V", op, value);
}

TEST(MatchesTest, ComparisonOperatorsCompareUnsignedBytes) {
    EXPECT_TRUE(RowMatches("ab", "<", "abc"));
    EXPECT_TRUE(RowMatches("ab", ">", "a"));
    EXPECT_TRUE(RowMatches("ab", "<=", "ab"));
    EXPECT_TRUE(RowMatches("ab", ">=", "ab"));
    EXPECT_TRUE(RowMatches("ab", "=", "ab"));
    EXPECT_TRUE(RowMatches("ab", ">", "aB"));
    EXPECT_FALSE(RowMatches("ab", "<", "ab"));
    EXPECT_FALSE(RowMatches("ab", ">", "abc"));
    EXPECT_FALSE(RowMatches("abc", "=", "ABC"));
    // Shift-JIS lead bytes sort after every ASCII byte.
    EXPECT_TRUE(RowMatches("\x82\xa0", ">", "z"));
    EXPECT_TRUE(RowMatches("\x82\xa0", ">", "\x7f"));
    EXPECT_FALSE(RowMatches("\x82\xa0", "<=", "zzz"));
    EXPECT_TRUE(RowMatches("\xe0", ">", "\x9f\xff"));
    EXPECT_TRUE(RowMatches("10", "<", "9")); // always as text
}

TEST(MatchesTest, OnlyTheSixOperatorsAreKnown) {
    for (const char* op : {"<>", "==", "< ", " =", "", "!=", "LIK", "LIKES", "=<"}) {
        for (const char* value : {"abc", "zzz", ""})
            EXPECT_FALSE(RowMatches("abc", op, value)) << op;
    }
    for (const char* op : {"LIKE", "like", "Like", "lIkE"})
        EXPECT_TRUE(RowMatches("abc", op, "a?c")) << op;
    EXPECT_FALSE(RowMatches("abc", "LIKE", "ABC"));
}

TEST(MatchesTest, MissingValueComparesAsEmptyText) {
    EXPECT_TRUE(RowMatches(std::nullopt, "=", ""));
    EXPECT_TRUE(RowMatches(std::nullopt, "<", "\x01"));
    EXPECT_FALSE(RowMatches(std::nullopt, "<", ""));
    EXPECT_TRUE(RowMatches(std::nullopt, "LIKE", "*"));
    TMlb2 table;
    MakeColumns(table, {"V"});
    table.AppendRow(); // no current row yet
    EXPECT_TRUE(table.Matches("V", "=", ""));
    EXPECT_FALSE(table.Matches("V", "=", "x"));
    AddRow(table, {"x"});
    EXPECT_TRUE(table.Matches("Other", "=", ""));
    EXPECT_FALSE(table.Matches("v", "=", "x"));
    EXPECT_EQ(table.CurrentRow(), 2);
}

TEST(MatchesTest, OptionsPrepareLikeComparisons) {
    TConcordances options;
    options.spacesSignificant = false;
    EXPECT_TRUE(CompareByOperator(options, " a b ", "LIKE", "a?"));
    EXPECT_FALSE(CompareByOperator(options, "a b", "=", "ab")); // only LIKE is prepared
    options = TConcordances{true, false, true};
    EXPECT_TRUE(CompareByOperator(options, "abc", "like", "A?C"));
    EXPECT_TRUE(CompareByOperator(options, "\x82\x61", "LIKE", "\x82\x41"));
    EXPECT_FALSE(CompareByOperator(options, "\xe0", "LIKE", "\xc0"));
    options = TConcordances{true, true, false};
    EXPECT_FALSE(CompareByOperator(options, "abc", "LIKE", "a?c"));
    EXPECT_TRUE(CompareByOperator(options, "a?c", "LIKE", "a?c"));
    options = TConcordances{false, false, false};
    EXPECT_TRUE(CompareByOperator(options, "A b*", "LIKE", "ab *"));
    // A table's own options reach Matches.
    TMlb2 table;
    MakeColumns(table, {"V"});
    AddRow(table, {"Hello World"});
    table.Concordances() = TConcordances{false, false, true};
    EXPECT_TRUE(table.Matches("V", "LIKE", "helloworld"));
}

// Each case is "pattern|text"; "|" never occurs in the patterns used here.
void ExpectLike(bool matches, std::initializer_list<std::string_view> cases) {
    for (std::string_view c : cases) {
        const auto bar = c.find('|');
        EXPECT_EQ(LikeMatch(c.substr(0, bar), c.substr(bar + 1)), matches) << c;
    }
}

TEST(LikeMatchTest, SingleBytePatterns) {
    ExpectLike(true, {"a?c|abc", "a#c|a1c", "abc|abc", "|", "??|\x82\xa0"});
    ExpectLike(false, {"a?c|ac", "a#c|abc", "abc|ABC", "ab|abc", "abc|ab", "|a", "?|"});
}

TEST(LikeMatchTest, BracketClasses) {
    ExpectLike(true, {"[a-c]x|bx", "[a-c]x|cx", "[!a-c]x|dx", "[a-]x|ax", "[-a]x|-x", "[a!]x|!x",
                      "[ab-d]|c", "[ab-d]|a", "[!]|\xff", "[\x81-\x9f]|\x90"});
    ExpectLike(false, {"[a-c]x|dx", "[!a-c]x|ax", "[a-]x|-x", "[-a]x|Bx", "[a!]x|bx", "[ab-d]|e",
                       "[]|", "[]|a", "[!]|", "[!]|ab", "[\x81-\x9f]|\xa0"});
    // A further "]" tests the same class again; before any class the class is empty.
    ExpectLike(true, {"[ab]]|ba"});
    ExpectLike(false, {"[ab]]|bc", "a]|ab"});
    // An unclosed class ends the pattern.
    ExpectLike(true, {"ab[|ab", "ab[cd|ab"});
    ExpectLike(false, {"ab[cd|abc"});
}

TEST(LikeMatchTest, StarRunsTakeTheFirstLaterOccurrence) {
    ExpectLike(true, {"*c|abc", "*.jpg|photo.jpg", "*|", "*|any text", "*?|x", "a*?|ab", "**a|xa",
                      "*?c|abc", "a*|a", "a*c*e|abcde"});
    ExpectLike(false, {"*a|banana", "*.jpg|a.b.jpg", "*?|", "a*?|a", "**a|a", "*?c|c"});
    // After a run, "[" and "]" are plain bytes.
    ExpectLike(true, {"*[|ab[", "*]|x]"});
    ExpectLike(false, {"*]|x"});
}

TEST(LikeMatchTest, StarRunBeforeHashFindsFirstDigit) {
    ExpectLike(true, {"*#|ab1", "*#|7", "a*#x|abc5x", "*#?|ab12", "*?#|ab1"});
    ExpectLike(false, {"*#|abc", "*#|12a", "*#|", "a*#x|abc5y", "*??#|a1", "*?#|1"});
}

} // namespace
} // namespace kelvo
