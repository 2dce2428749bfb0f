#include "support/Tables.h"

#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

using testing::AddRow;
using testing::Dump;
using testing::MakeColumns;

TMlb2 ReadEscaped(const std::string& bytes) {
    TMlb2 table;
    ReadEscapedForm(bytes, table);
    return table;
}

TEST(EscapedFormTest, ValuesAreEscapedAndLinesEndInCrLf) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    table.SetColumnType(2, "FLOAT"); // the type changes nothing here
    AddRow(table, {"1", "x;y"});
    AddRow(table, {std::nullopt, ""});
    AddRow(table, {"l1\nl2", "back\\slash"});
    const std::string file = WriteEscapedForm(table);
    EXPECT_EQ(file, "A;B\r\n1;x\\;y\r\n;\r\nl1\\nl2;back\\\\slash\r\n");
    // Absent comes back as empty text, every column as "STRING".
    TMlb2 back = ReadEscaped(file);
    EXPECT_EQ(Dump(back), "A B | [1] [x;y] | [] [] | [l1\nl2] [back\\slash]");
    EXPECT_EQ(back.CurrentRow(), 3);

    MakeColumns(table, {"V"});
    const std::string tricky = "\\n;\\\n\\;;\n\\";
    AddRow(table, {tricky});
    EXPECT_EQ(Dump(ReadEscaped(WriteEscapedForm(table))), "V | [" + tricky + "]");
}

TEST(EscapedFormTest, BackslashEscapesOnReading) {
    // \x is x, \N and \n are LF; a backslash at the very end is kept.
    EXPECT_EQ(Dump(ReadEscaped("A;B;C\r\n\\x\\N;a\\nb;\\;\\\\\r\nend\\")),
              "A B C | [x\n] [a\nb] [;\\] | [end\\] - -");
}

TEST(EscapedFormTest, EmptyValuesAreEmptyTextAndExtraValuesDropped) {
    EXPECT_EQ(Dump(ReadEscaped("A;B;C\r\n;\r\n\r\n1;2;3;4;5\r\n")),
              "A B C | [] [] - | [] - - | [1] [2] [3]");
}

TEST(EscapedFormTest, HeaderSplitsAtEverySeparatorThenUnescapes) {
    TMlb2 table = ReadEscaped("a\\nb;;c\\\\d;e\\;f\r\n");
    ASSERT_EQ(table.ColumnCount(), 5);
    EXPECT_EQ(table.GetColumnName(1), Text("a\nb"));
    EXPECT_EQ(table.GetColumnName(2), Text(""));
    EXPECT_EQ(table.GetColumnName(3), Text("c\\d"));
    EXPECT_EQ(table.GetColumnName(5), Text("f"));
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_TRUE(table.AtEnd());
}

TEST(EscapedFormTest, MissingLastLineEndKeepsLastValueAndName) {
    EXPECT_EQ(Dump(ReadEscaped("A;B\r\na;b")), "A B | [a] [b]");
    EXPECT_EQ(Dump(ReadEscaped("A;B")), "A B");
    EXPECT_EQ(Dump(ReadEscaped("A;B\r\nx;y\r\n")), "A B | [x] [y]");
}

TEST(EscapedFormTest, CrLfIsReadAsLineFeedAndLoneCrStays) {
    EXPECT_EQ(Dump(ReadEscaped("A;B\r\nx\ry;z\r\n\r;\r\r\n")), "A B | [x\ry] [z] | [\r] [\r]");
    EXPECT_EQ(Dump(ReadEscaped("A;B\nx;y\n")), "A B | [x] [y]");
}

TEST(EscapedFormTest, TablesWithoutRowsOrNames) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    EXPECT_EQ(WriteEscapedForm(table), "A;B\r\n");
    MakeColumns(table, {""});
    AddRow(table, {""});
    EXPECT_EQ(WriteEscapedForm(table), "\r\n\r\n");
    EXPECT_EQ(Dump(ReadEscaped("\r\n\r\n")), " | []");
}

} // namespace
} // namespace kelvo
