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

TMlb2 ReadQuoted(const std::string& bytes) {
    TMlb2 table;
    table.Clear();
    ReadQuotedForm(bytes, table);
    return table;
}

TEST(QuotedFormTest, StringValuesAreQuotedWithQuotesDoubled) {
    TMlb2 table;
    MakeColumns(table, {"A", "say \"hi\""});
    AddRow(table, {"x", "y;\"z"});
    AddRow(table, {std::nullopt, ""});
    EXPECT_EQ(WriteQuotedForm(table), "\"A\";\"say \"\"hi\"\"\"\r\n"
                                      "\"x\";\"y;\"\"z\"\r\n"
                                      "\"\";\"\"\r\n");

    TMlb2 back = ReadQuoted(WriteQuotedForm(table));
    ASSERT_EQ(back.ColumnCount(), 2);
    EXPECT_EQ(back.GetColumnName(2), Text("say \"hi\""));
    ASSERT_EQ(back.RowCount(), 2);
    EXPECT_EQ(ValueAt(back, 1, 1), Text("x"));
    EXPECT_EQ(ValueAt(back, 2, 1), Text("y;\"z"));
    EXPECT_EQ(ValueAt(back, 1, 2), std::nullopt); // empty reads back absent
    EXPECT_EQ(ValueAt(back, 2, 2), std::nullopt);
}

TEST(QuotedFormTest, NonStringColumnsAreBareAndALastOneEndsWithSeparator) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    table.SetColumnType(2, "FLOAT");
    AddRow(table, {"a", "12"});
    AddRow(table, {"b", std::nullopt});
    EXPECT_EQ(WriteQuotedForm(table), "\"A\";\"B\"\r\n\"a\";12;\r\n\"b\";;\r\n");

    TMlb2 back = ReadQuoted(WriteQuotedForm(table));
    ASSERT_EQ(back.ColumnCount(), 2);
    ASSERT_EQ(back.RowCount(), 2);
    EXPECT_EQ(ValueAt(back, 2, 1), Text("12"));
    EXPECT_EQ(ValueAt(back, 2, 2), std::nullopt);

    // Any type but exactly "STRING" is written bare, quotes still doubled.
    MakeColumns(table, {"N", "S"});
    table.SetColumnType(1, "string");
    table.SetColumnType(2, "NUMBER");
    AddRow(table, {"1\"2", "3"});
    EXPECT_EQ(WriteQuotedForm(table), "\"N\";\"S\"\r\n1\"\"2;3;\r\n");
}

TEST(QuotedFormTest, LineFeedInsideValueIsWrittenBare) {
    TMlb2 table;
    MakeColumns(table, {"A"});
    AddRow(table, {"one\ntwo\rthree"});
    EXPECT_EQ(WriteQuotedForm(table), "\"A\"\r\n\"one\ntwo\rthree\"\r\n");
    TMlb2 back = ReadQuoted(WriteQuotedForm(table));
    ASSERT_EQ(back.RowCount(), 1);
    EXPECT_EQ(ValueAt(back, 1, 1), Text("one\ntwo\rthree"));

    // CR LF inside quotes is kept whole.
    TMlb2 crlf = ReadQuoted("\"A\"\r\n\"a\r\nb\"\r\n");
    ASSERT_EQ(crlf.RowCount(), 1);
    EXPECT_EQ(ValueAt(crlf, 1, 1), Text("a\r\nb"));
}

TEST(QuotedFormTest, EmptyTablesWriteHeaderOrNothing) {
    TMlb2 table;
    table.Clear();
    EXPECT_EQ(WriteQuotedForm(table), "");
    MakeColumns(table, {"A", "B"});
    EXPECT_EQ(WriteQuotedForm(table), "\"A\";\"B\"\r\n");

    TMlb2 back = ReadQuoted("");
    EXPECT_EQ(back.ColumnCount(), 0);
    EXPECT_EQ(back.RowCount(), 0);
    back = ReadQuoted("\"A\";\"B\"\r\n");
    EXPECT_EQ(back.ColumnCount(), 2);
    EXPECT_EQ(back.RowCount(), 0);
    EXPECT_EQ(back.CurrentRow(), 0);
    EXPECT_TRUE(back.AtEnd());
}

TEST(QuotedFormTest, SpacesAndCarriageReturnsOutsideQuotesVanish) {
    TMlb2 table = ReadQuoted("\"A\"; \"B\" ;C\r\n1 2 3; \"x y\" ;4\r5\r\n");
    ASSERT_EQ(table.ColumnCount(), 3);
    EXPECT_EQ(table.GetColumnName(2), Text("B"));
    EXPECT_EQ(table.GetColumnName(3), Text("C"));
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(ValueAt(table, 1, 1), Text("123"));
    EXPECT_EQ(ValueAt(table, 2, 1), Text("x y"));
    EXPECT_EQ(ValueAt(table, 3, 1), Text("45"));
}

TEST(QuotedFormTest, QuotedStretchesMayStartAnywhereInAToken) {
    TMlb2 table = ReadQuoted("A;B\r\n\"a\"b\"c\";x\"y;z\"w\r\n");
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(ValueAt(table, 1, 1), Text("abc"));
    EXPECT_EQ(ValueAt(table, 2, 1), Text("xy;zw"));
    // A quote as the very last byte just closes the stretch.
    table = ReadQuoted("A\r\n\"ab\"");
    EXPECT_EQ(ValueAt(table, 1, 1), Text("ab"));
}

TEST(QuotedFormTest, EmptyHeaderNamesAddNoColumn) {
    TMlb2 table = ReadQuoted("\"A\";;\"\";\"B\"\r\n1;2;3\r\n");
    ASSERT_EQ(table.ColumnCount(), 2);
    EXPECT_EQ(table.GetColumnName(1), Text("A"));
    EXPECT_EQ(table.GetColumnName(2), Text("B"));
    EXPECT_EQ(table.GetColumnType(2), Text("STRING"));
    // Values go by position, extra ones are dropped.
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(ValueAt(table, 1, 1), Text("1"));
    EXPECT_EQ(ValueAt(table, 2, 1), Text("2"));
}

TEST(QuotedFormTest, BlankLineAddsRowOfAbsentValues) {
    TMlb2 table = ReadQuoted("\"A\";\"B\"\r\n\r\n\"\";\"y\"\r\n\"p\"\r\n");
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(ValueAt(table, 1, 1), std::nullopt);
    EXPECT_EQ(ValueAt(table, 2, 1), std::nullopt);
    EXPECT_EQ(ValueAt(table, 1, 2), std::nullopt);
    EXPECT_EQ(ValueAt(table, 2, 2), Text("y"));
    EXPECT_EQ(ValueAt(table, 1, 3), Text("p"));
    EXPECT_EQ(ValueAt(table, 2, 3), std::nullopt);
    EXPECT_EQ(table.CurrentRow(), 3); // the last row read
    EXPECT_FALSE(table.AtEnd());
}

TEST(QuotedFormTest, LastLineWithoutLineEndKeepsItsValues) {
    TMlb2 table = ReadQuoted("\"A\";\"B\"\r\n\"a\";\"b\"");
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(ValueAt(table, 1, 1), Text("a"));
    EXPECT_EQ(ValueAt(table, 2, 1), Text("b"));

    table = ReadQuoted("\"A\"\r\n\"x\"");
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(ValueAt(table, 1, 1), Text("x"));

    table = ReadQuoted("\"A\"\r\n\"x\"\r\n");
    EXPECT_EQ(table.RowCount(), 1);

    table = ReadQuoted("\"A\";\"B\"");
    EXPECT_EQ(table.ColumnCount(), 2);
    EXPECT_EQ(table.GetColumnName(2), Text("B"));
    EXPECT_EQ(table.RowCount(), 0);
}

TEST(QuotedFormTest, FirstColumnTypeFollowsRowLines) {
    TMlb2 table;
    MakeColumns(table, {"N", "S"});
    table.SetColumnType(1, "FLOAT");
    AddRow(table, {"1", "a"});
    AddRow(table, {"2", "b"});
    TMlb2 back = ReadQuoted(WriteQuotedForm(table));
    EXPECT_EQ(back.GetColumnType(1), Text("FLOAT"));
    EXPECT_EQ(back.GetColumnType(2), Text("STRING"));

    // The last line decides; an empty quoted value leaves the mark alone.
    EXPECT_EQ(ReadQuoted("A;B\r\n5;1\r\n\"x\";2\r\n").GetColumnType(1), Text("STRING"));
    EXPECT_EQ(ReadQuoted("A;B\r\n\"x\";1\r\n5;2\r\n").GetColumnType(1), Text("FLOAT"));
    EXPECT_EQ(ReadQuoted("A;B\r\n5;1\r\n\"\";2\r\n").GetColumnType(1), Text("FLOAT"));
    EXPECT_EQ(ReadQuoted("A;B\r\n5;1\r\n;2\r\n").GetColumnType(1), Text("STRING"));
    EXPECT_EQ(ReadQuoted("A;B\r\n\"x\";7\r\n").GetColumnType(2), Text("STRING"));
}

TEST(QuotedFormTest, DoubledQuoteAcrossBlockBoundaryInFile) {
    test::TempDir dir;
    const std::string header = "\"A\"\r\n";
    std::string file = header + "\"";
    file += std::string(999 - file.size(), 'x'); // bytes 6..998
    file += "\"\"y\"\r\n";                       // the doubled quote starts at byte 999
    ASSERT_EQ(file[999], '"');
    const std::string path = dir.File("block.txt");
    test::WriteBytes(path, file);

    TMlb2 table;
    table.Clear();
    ASSERT_TRUE(table.Load(path));
    ASSERT_EQ(table.RowCount(), 1);
    const std::string expected = std::string(999 - header.size() - 1, 'x') + "\"y";
    EXPECT_EQ(ValueAt(table, 1, 1), Text(expected));
}

TEST(QuotedFormTest, AppendingRecordToLogFile) {
    test::TempDir dir;
    const std::string path = dir.File("20240501.txt");
    for (const char* file : {"a.jpg", "b \"new\".png"}) {
        TMlb2 log;
        log.Clear();
        if (std::filesystem::exists(path)) {
            ASSERT_TRUE(log.Load(path));
            log.MoveLast();
        } else {
            log.AddColumn("File");
            log.AddColumn("Folder");
        }
        log.AppendRow();
        ASSERT_TRUE(log.MoveNext());
        ASSERT_TRUE(log.SetValue("File", file));
        ASSERT_TRUE(log.SetValue("Folder", "/pics"));
        ASSERT_TRUE(log.Save(path));
    }
    EXPECT_EQ(test::ReadBytes(path), "\"File\";\"Folder\"\r\n"
                                     "\"a.jpg\";\"/pics\"\r\n"
                                     "\"b \"\"new\"\".png\";\"/pics\"\r\n");
}

} // namespace
} // namespace kelvo
