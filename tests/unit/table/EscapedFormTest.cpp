#include "TableTestSupport.h"

#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

using test::AddRow;
using test::MakeColumns;
using test::ValueAt;

TMlb2 ReadEscaped(const std::string& bytes) {
    TMlb2 table;
    table.Clear();
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
    EXPECT_EQ(WriteEscapedForm(table), "A;B\r\n"
                                       "1;x\\;y\r\n"
                                       ";\r\n"
                                       "l1\\nl2;back\\\\slash\r\n");

    TMlb2 back = ReadEscaped(WriteEscapedForm(table));
    ASSERT_EQ(back.ColumnCount(), 2);
    EXPECT_EQ(back.GetColumnType(2), Text("STRING"));
    ASSERT_EQ(back.RowCount(), 3);
    EXPECT_EQ(ValueAt(back, 2, 1), Text("x;y"));
    EXPECT_EQ(ValueAt(back, 1, 2), Text("")); // absent comes back as empty text
    EXPECT_EQ(ValueAt(back, 2, 2), Text(""));
    EXPECT_EQ(ValueAt(back, 1, 3), Text("l1\nl2"));
    EXPECT_EQ(ValueAt(back, 2, 3), Text("back\\slash"));
    EXPECT_EQ(back.CurrentRow(), 3);
}

TEST(EscapedFormTest, LineEndBackslashAndSeparatorRoundTrip) {
    TMlb2 table;
    MakeColumns(table, {"V"});
    const std::string tricky = "\\n;\\\n\\;;\n\\";
    AddRow(table, {tricky});
    TMlb2 back = ReadEscaped(WriteEscapedForm(table));
    ASSERT_EQ(back.RowCount(), 1);
    EXPECT_EQ(ValueAt(back, 1, 1), Text(tricky));
}

TEST(EscapedFormTest, BackslashEscapesOnReading) {
    TMlb2 table = ReadEscaped("A;B;C\r\n\\x\\N;a\\nb;\\;\\\\\r\nend\\");
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(ValueAt(table, 1, 1), Text("x\n"));
    EXPECT_EQ(ValueAt(table, 2, 1), Text("a\nb"));
    EXPECT_EQ(ValueAt(table, 3, 1), Text(";\\"));
    // A backslash at the very end of the file is kept.
    EXPECT_EQ(ValueAt(table, 1, 2), Text("end\\"));
}

TEST(EscapedFormTest, EmptyValuesAreEmptyTextNotAbsent) {
    TMlb2 table = ReadEscaped("A;B;C\r\n;\r\n\r\n1;2;3;4;5\r\n");
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(ValueAt(table, 1, 1), Text(""));
    EXPECT_EQ(ValueAt(table, 2, 1), Text(""));
    EXPECT_EQ(ValueAt(table, 3, 1), std::nullopt); // the line held only two values
    EXPECT_EQ(ValueAt(table, 1, 2), Text(""));
    EXPECT_EQ(ValueAt(table, 2, 2), std::nullopt);
    EXPECT_EQ(ValueAt(table, 3, 3), Text("3")); // extra values dropped
    EXPECT_EQ(table.ColumnCount(), 3);
}

TEST(EscapedFormTest, HeaderSplitsAtEverySeparatorThenUnescapes) {
    TMlb2 table = ReadEscaped("a\\nb;;c\\\\d;e\\;f\r\n");
    ASSERT_EQ(table.ColumnCount(), 5);
    EXPECT_EQ(table.GetColumnName(1), Text("a\nb"));
    EXPECT_EQ(table.GetColumnName(2), Text(""));
    EXPECT_EQ(table.GetColumnName(3), Text("c\\d"));
    EXPECT_EQ(table.GetColumnName(5), Text("f"));
    EXPECT_EQ(table.GetColumnType(5), Text("STRING"));
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_TRUE(table.AtEnd());
}

TEST(EscapedFormTest, MissingLastLineEndKeepsLastValueAndName) {
    TMlb2 table = ReadEscaped("A;B\r\na;b");
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(ValueAt(table, 1, 1), Text("a"));
    EXPECT_EQ(ValueAt(table, 2, 1), Text("b"));

    table = ReadEscaped("A;B");
    ASSERT_EQ(table.ColumnCount(), 2);
    EXPECT_EQ(table.GetColumnName(2), Text("B"));
    EXPECT_EQ(table.RowCount(), 0);

    table = ReadEscaped("A;B\r\nx;y\r\n");
    EXPECT_EQ(table.RowCount(), 1);
}

TEST(EscapedFormTest, CrLfIsReadAsLineFeedAndLoneCrStays) {
    TMlb2 table = ReadEscaped("A;B\r\nx\ry;z\r\n\r;\r\r\n");
    ASSERT_EQ(table.ColumnCount(), 2);
    EXPECT_EQ(table.GetColumnName(2), Text("B"));
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(ValueAt(table, 1, 1), Text("x\ry"));
    EXPECT_EQ(ValueAt(table, 2, 1), Text("z"));
    EXPECT_EQ(ValueAt(table, 1, 2), Text("\r"));
    EXPECT_EQ(ValueAt(table, 2, 2), Text("\r"));

    // Plain LF line ends are read as well.
    table = ReadEscaped("A;B\nx;y\n");
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(ValueAt(table, 2, 1), Text("y"));
}

TEST(EscapedFormTest, EmptyTableAndEmptyFile) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    EXPECT_EQ(WriteEscapedForm(table), "A;B\r\n");
    MakeColumns(table, {""});
    AddRow(table, {""});
    EXPECT_EQ(WriteEscapedForm(table), "\r\n\r\n");
    TMlb2 back = ReadEscaped("\r\n\r\n");
    EXPECT_EQ(back.ColumnCount(), 1);
    ASSERT_EQ(back.RowCount(), 1);
    EXPECT_EQ(ValueAt(back, 1, 1), Text(""));

    back = ReadEscaped("");
    EXPECT_EQ(back.ColumnCount(), 0);
    EXPECT_EQ(back.RowCount(), 0);
}

} // namespace
} // namespace kelvo
