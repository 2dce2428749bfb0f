#include "TableTestSupport.h"

#include "table/RowMatching.h"
#include "table/TMlb2.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

using test::AddRow;
using test::MakeColumns;

TEST(MatchesTest, ComparisonOperatorsCompareUnsignedBytes) {
    TMlb2 table;
    MakeColumns(table, {"V"});
    AddRow(table, {"ab"});
    EXPECT_TRUE(table.Matches("V", "<", "abc"));
    EXPECT_FALSE(table.Matches("V", ">", "abc"));
    EXPECT_TRUE(table.Matches("V", ">", "a"));
    EXPECT_TRUE(table.Matches("V", "<=", "ab"));
    EXPECT_TRUE(table.Matches("V", ">=", "ab"));
    EXPECT_FALSE(table.Matches("V", "<", "ab"));
    EXPECT_TRUE(table.Matches("V", "=", "ab"));
    EXPECT_FALSE(table.Matches("V", "=", "AB"));
    EXPECT_FALSE(table.Matches("V", "=", "ab "));
    EXPECT_TRUE(table.Matches("V", ">", "aB"));

    // A Shift-JIS lead byte sorts after every ASCII letter.
    ASSERT_TRUE(table.SetValue("V", "\x82\xa0"));
    EXPECT_TRUE(table.Matches("V", ">", "z"));
    EXPECT_TRUE(table.Matches("V", ">", "\x7f"));
    EXPECT_FALSE(table.Matches("V", "<=", "zzz"));
    ASSERT_TRUE(table.SetValue("V", "\xe0"));
    EXPECT_TRUE(table.Matches("V", ">", "\x9f\xff"));

    // FLOAT columns still compare as text.
    table.SetColumnType(1, "FLOAT");
    ASSERT_TRUE(table.SetValue("V", "10"));
    EXPECT_TRUE(table.Matches("V", "<", "9"));
}

TEST(MatchesTest, UnknownOperatorsGiveFalse) {
    TMlb2 table;
    MakeColumns(table, {"V"});
    AddRow(table, {"abc"});
    for (const char* op : {"<>", "==", "< ", " =", "", "!=", "LIK", "LIKES", "=<"}) {
        EXPECT_FALSE(table.Matches("V", op, "abc")) << op;
        EXPECT_FALSE(table.Matches("V", op, "zzz")) << op;
        EXPECT_FALSE(table.Matches("V", op, "")) << op;
    }
    for (const char* op : {"LIKE", "like", "Like", "lIkE"})
        EXPECT_TRUE(table.Matches("V", op, "a?c")) << op;
    EXPECT_FALSE(table.Matches("V", "LIKE", "ABC"));
}

TEST(MatchesTest, MissingValueComparesAsEmptyText) {
    TMlb2 table;
    MakeColumns(table, {"V"});
    // No current row yet.
    table.AppendRow();
    EXPECT_TRUE(table.Matches("V", "=", ""));
    EXPECT_FALSE(table.Matches("V", "=", "x"));
    ASSERT_TRUE(table.MoveNext());
    EXPECT_TRUE(table.Matches("V", "=", ""));
    EXPECT_TRUE(table.Matches("V", "<", "a"));
    EXPECT_TRUE(table.Matches("V", "<", "\x01"));
    EXPECT_FALSE(table.Matches("V", "<", ""));
    EXPECT_TRUE(table.Matches("V", "LIKE", "*"));
    EXPECT_TRUE(table.Matches("Other", "=", ""));
    EXPECT_FALSE(table.Matches("v", "=", "x"));
    EXPECT_EQ(table.CurrentRow(), 1);
    EXPECT_FALSE(table.AtEnd());
}

TEST(MatchesTest, OptionsPrepareLikeComparisons) {
    TConcordances options;
    EXPECT_FALSE(CompareByOperator(options, "a b", "LIKE", "ab"));
    EXPECT_FALSE(CompareByOperator(options, "abc", "LIKE", "ABC"));

    options.spacesSignificant = false;
    EXPECT_TRUE(CompareByOperator(options, " a b ", "LIKE", "a b"));
    EXPECT_TRUE(CompareByOperator(options, "a b", "LIKE", "a?"));
    EXPECT_FALSE(CompareByOperator(options, "a b", "=", "ab")); // only LIKE is prepared

    options = TConcordances{};
    options.caseSignificant = false;
    EXPECT_TRUE(CompareByOperator(options, "abc", "like", "A?C"));
    EXPECT_TRUE(CompareByOperator(options, "\x82\x61", "LIKE", "\x82\x41"));
    EXPECT_FALSE(CompareByOperator(options, "\xe0", "LIKE", "\xc0"));
    EXPECT_FALSE(CompareByOperator(options, "abc", "=", "ABC"));

    options = TConcordances{};
    options.wildcardsOn = false;
    EXPECT_FALSE(CompareByOperator(options, "abc", "LIKE", "a?c"));
    EXPECT_TRUE(CompareByOperator(options, "a?c", "LIKE", "a?c"));
    EXPECT_TRUE(CompareByOperator(options, "", "LIKE", ""));

    options.spacesSignificant = false;
    options.caseSignificant = false;
    EXPECT_TRUE(CompareByOperator(options, "A b*", "LIKE", "ab *"));

    // A table's own options reach Matches.
    TMlb2 table;
    MakeColumns(table, {"V"});
    AddRow(table, {"Hello World"});
    table.Concordances().caseSignificant = false;
    table.Concordances().spacesSignificant = false;
    EXPECT_TRUE(table.Matches("V", "LIKE", "helloworld"));
}

TEST(LikeMatchTest, SingleBytePatterns) {
    EXPECT_TRUE(LikeMatch("a?c", "abc"));
    EXPECT_FALSE(LikeMatch("a?c", "ac"));
    EXPECT_TRUE(LikeMatch("a#c", "a1c"));
    EXPECT_FALSE(LikeMatch("a#c", "abc"));
    EXPECT_TRUE(LikeMatch("abc", "abc"));
    EXPECT_FALSE(LikeMatch("abc", "ABC"));
    EXPECT_FALSE(LikeMatch("ab", "abc"));
    EXPECT_FALSE(LikeMatch("abc", "ab"));
    EXPECT_TRUE(LikeMatch("", ""));
    EXPECT_FALSE(LikeMatch("", "a"));
    EXPECT_FALSE(LikeMatch("?", ""));
    EXPECT_TRUE(LikeMatch("??", "\x82\xa0"));
}

TEST(LikeMatchTest, BracketClasses) {
    EXPECT_TRUE(LikeMatch("[a-c]x", "bx"));
    EXPECT_TRUE(LikeMatch("[a-c]x", "ax"));
    EXPECT_TRUE(LikeMatch("[a-c]x", "cx"));
    EXPECT_FALSE(LikeMatch("[a-c]x", "dx"));
    EXPECT_TRUE(LikeMatch("[!a-c]x", "dx"));
    EXPECT_FALSE(LikeMatch("[!a-c]x", "ax"));
    EXPECT_TRUE(LikeMatch("[a-]x", "ax"));
    EXPECT_FALSE(LikeMatch("[a-]x", "-x"));
    EXPECT_TRUE(LikeMatch("[-a]x", "-x"));
    EXPECT_TRUE(LikeMatch("[a!]x", "!x"));
    EXPECT_TRUE(LikeMatch("[ab-d]", "c"));
    EXPECT_TRUE(LikeMatch("[ab-d]", "a"));
    EXPECT_FALSE(LikeMatch("[ab-d]", "e"));
    EXPECT_TRUE(LikeMatch("[\x81-\x9f]", "\x90"));
    EXPECT_FALSE(LikeMatch("[\x81-\x9f]", "\xa0"));
    EXPECT_FALSE(LikeMatch("[]", ""));
    EXPECT_FALSE(LikeMatch("[]", "a"));
    EXPECT_TRUE(LikeMatch("[!]", "a"));
    EXPECT_TRUE(LikeMatch("[!]", "\xff"));
    EXPECT_FALSE(LikeMatch("[!]", ""));
    EXPECT_FALSE(LikeMatch("[!]", "ab"));
    // A further "]" tests the same class again.
    EXPECT_TRUE(LikeMatch("[ab]]", "ba"));
    EXPECT_FALSE(LikeMatch("[ab]]", "bc"));
    // A "]" before any class uses the empty class.
    EXPECT_FALSE(LikeMatch("a]", "ab"));
    // An unclosed class ends the pattern.
    EXPECT_TRUE(LikeMatch("ab[", "ab"));
    EXPECT_TRUE(LikeMatch("ab[cd", "ab"));
    EXPECT_FALSE(LikeMatch("ab[cd", "abc"));
}

TEST(LikeMatchTest, StarRunsTakeTheFirstLaterOccurrence) {
    EXPECT_TRUE(LikeMatch("*c", "abc"));
    EXPECT_FALSE(LikeMatch("*a", "banana"));
    EXPECT_FALSE(LikeMatch("*.jpg", "a.b.jpg"));
    EXPECT_TRUE(LikeMatch("*.jpg", "photo.jpg"));
    EXPECT_TRUE(LikeMatch("*", ""));
    EXPECT_TRUE(LikeMatch("*", "anything at all"));
    EXPECT_FALSE(LikeMatch("*?", ""));
    EXPECT_TRUE(LikeMatch("*?", "x"));
    EXPECT_FALSE(LikeMatch("a*?", "a"));
    EXPECT_TRUE(LikeMatch("a*?", "ab"));
    EXPECT_FALSE(LikeMatch("**a", "a"));
    EXPECT_TRUE(LikeMatch("**a", "xa"));
    EXPECT_TRUE(LikeMatch("*?c", "abc"));
    EXPECT_FALSE(LikeMatch("*?c", "c"));
    EXPECT_TRUE(LikeMatch("a*", "a"));
    EXPECT_TRUE(LikeMatch("a*c*e", "abcde"));
    // After a run, "[" and "]" are plain bytes.
    EXPECT_TRUE(LikeMatch("*[", "ab["));
    EXPECT_TRUE(LikeMatch("*]", "x]"));
    EXPECT_FALSE(LikeMatch("*]", "x"));
}

TEST(LikeMatchTest, StarRunBeforeHashFindsFirstDigit) {
    EXPECT_TRUE(LikeMatch("*#", "ab1"));
    EXPECT_TRUE(LikeMatch("*#", "7"));
    EXPECT_FALSE(LikeMatch("*#", "abc"));
    EXPECT_FALSE(LikeMatch("*#", "12a"));
    EXPECT_FALSE(LikeMatch("*#", ""));
    EXPECT_TRUE(LikeMatch("a*#x", "abc5x"));
    EXPECT_FALSE(LikeMatch("a*#x", "abc5y"));
    EXPECT_TRUE(LikeMatch("*#?", "ab12"));
    EXPECT_TRUE(LikeMatch("*?#", "ab1"));
    EXPECT_FALSE(LikeMatch("*??#", "a1"));
    EXPECT_FALSE(LikeMatch("*?#", "1"));
}

} // namespace
} // namespace kelvo
