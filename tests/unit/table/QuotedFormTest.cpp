#include "support/StdFiles.h"
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

TMlb2 ReadQuoted(const std::string& bytes) {
    TMlb2 table;
    ReadQuotedForm(bytes, table);
    return table;
}

TEST(QuotedFormTest, StringValuesAreQuotedWithQuotesDoubled) {
    TMlb2 table;
    MakeColumns(table, {"A", "say \"hi\""});
    AddRow(table, {"x", "y;\"z"});
    AddRow(table, {std::nullopt, ""});
    const std::string file = WriteQuotedForm(table);
    EXPECT_EQ(file, "\"A\";\"say \"\"hi\"\"\"\r\n\"x\";\"y;\"\"z\"\r\n\"\";\"\"\r\n");
    // Empty values read back absent.
    EXPECT_EQ(Dump(ReadQuoted(file)), "A say \"hi\" | [x] [y;\"z] | - -");
}

TEST(QuotedFormTest, NonStringColumnsAreBareAndALastOneEndsWithSeparator) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    table.SetColumnType(2, "FLOAT");
    AddRow(table, {"a", "12"});
    AddRow(table, {"b", std::nullopt});
    EXPECT_EQ(WriteQuotedForm(table), "\"A\";\"B\"\r\n\"a\";12;\r\n\"b\";;\r\n");
    EXPECT_EQ(Dump(ReadQuoted(WriteQuotedForm(table))), "A B | [a] [12] | [b] -");

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
    EXPECT_EQ(Dump(ReadQuoted(WriteQuotedForm(table))), "A | [one\ntwo\rthree]");
    // CR LF inside quotes is kept whole.
    EXPECT_EQ(Dump(ReadQuoted("\"A\"\r\n\"a\r\nb\"\r\n")), "A | [a\r\nb]");
}

TEST(QuotedFormTest, TableWithoutRowsIsHeaderAlone) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    EXPECT_EQ(WriteQuotedForm(table), "\"A\";\"B\"\r\n");
    TMlb2 back = ReadQuoted(WriteQuotedForm(table));
    EXPECT_EQ(Dump(back), "A B");
    EXPECT_TRUE(back.CurrentRow() == 0 && back.AtEnd());
}

TEST(QuotedFormTest, ReadingTokens) {
    // Spaces and CR outside quotes vanish.
    EXPECT_EQ(Dump(ReadQuoted("\"A\"; \"B\" ;C\r\n1 2 3; \"x y\" ;4\r5\r\n")),
              "A:FLOAT B C | [123] [x y] [45]");
    // Quoted stretches may start anywhere in a token.
    EXPECT_EQ(Dump(ReadQuoted("A;B\r\n\"a\"b\"c\";x\"y;z\"w\r\n")), "A B | [abc] [xy;zw]");
    // Empty header names add no column; extra values are dropped.
    EXPECT_EQ(Dump(ReadQuoted("\"A\";;\"\";\"B\"\r\n\"1\";\"2\";\"3\"\r\n")), "A B | [1] [2]");
    // A blank line adds a row of absent values.
    TMlb2 table = ReadQuoted("\"A\";\"B\"\r\n\r\n\"\";\"y\"\r\n\"p\"\r\n");
    EXPECT_EQ(Dump(table), "A B | - - | - [y] | [p] -");
    EXPECT_EQ(table.CurrentRow(), 3); // the last row read
    EXPECT_FALSE(table.AtEnd());
}

TEST(QuotedFormTest, LastLineWithoutLineEndKeepsItsValues) {
    EXPECT_EQ(Dump(ReadQuoted("\"A\";\"B\"\r\n\"a\";\"b\"")), "A B | [a] [b]");
    EXPECT_EQ(Dump(ReadQuoted("\"A\"\r\n\"x\"")), "A | [x]");
    EXPECT_EQ(Dump(ReadQuoted("\"A\"\r\n\"x\"\r\n")), "A | [x]");
    EXPECT_EQ(Dump(ReadQuoted("\"A\";\"B\"")), "A B");
    // A quote as the very last byte just closes the stretch.
    EXPECT_EQ(Dump(ReadQuoted("A\r\nx\"a;b\"")), "A | [xa;b]");
}

TEST(QuotedFormTest, FirstColumnTypeFollowsRowLines) {
    TMlb2 table;
    MakeColumns(table, {"N", "S"});
    table.SetColumnType(1, "FLOAT");
    AddRow(table, {"1", "a"});
    AddRow(table, {"2", "b"});
    EXPECT_EQ(Dump(ReadQuoted(WriteQuotedForm(table))), "N:FLOAT S | [1] [a] | [2] [b]");

    // The last line decides; an empty quoted value leaves the mark alone.
    EXPECT_EQ(ReadQuoted("A;B\r\n5;1\r\n\"x\";2\r\n").GetColumnType(1), Text("STRING"));
    EXPECT_EQ(ReadQuoted("A;B\r\n\"x\";1\r\n5;2\r\n").GetColumnType(1), Text("FLOAT"));
    EXPECT_EQ(ReadQuoted("A;B\r\n5;1\r\n\"\";2\r\n").GetColumnType(1), Text("FLOAT"));
    EXPECT_EQ(ReadQuoted("A;B\r\n5;1\r\n;2\r\n").GetColumnType(1), Text("STRING"));
    EXPECT_EQ(ReadQuoted("A;B\r\n\"x\";7\r\n").GetColumnType(2), Text("STRING"));
}

TEST(QuotedFormTest, DoubledQuoteAcrossBlockBoundaryInFile) {
    testing::TempDir dir;
    std::string file = "\"A\"\r\n\"";
    const std::string filler(999 - file.size(), 'x');
    file += filler + "\"\"y\"\r\n"; // the doubled quote starts at byte 999
    ASSERT_EQ(file[999], '"');
    testing::WriteBytes(dir.File("block.txt"), file);
    TMlb2 table;
    ASSERT_TRUE(table.Load(dir.File("block.txt")));
    EXPECT_EQ(Dump(table), "A | [" + filler + "\"y]");
}

// Files arrive in blocks; a token, a doubled quote or a CR LF cut between two
// blocks must read as if it were whole.
TEST(QuotedFormTest, ReadingBlockByBlockMatchesReadingWhole) {
    const std::string file = "\"A\";\"B\";C\r\n\"x \"\"q\"\"\";\"y\r\nz\";12;\r\n"
                             "\"\";\"\"\"\";7;\r\n\"last\"";
    const std::string whole = Dump(ReadQuoted(file));
    for (size_t blockSize = 1; blockSize <= file.size(); ++blockSize) {
        size_t at = 0;
        TMlb2 table;
        ReadQuotedFormBlocks(
            [&] {
                const std::string_view block =
                    std::string_view(file).substr(std::min(at, file.size()), blockSize);
                at += block.size();
                return block;
            },
            file.size(), table);
        EXPECT_EQ(Dump(table), whole) << "blocks of " << blockSize;
    }
    EXPECT_EQ(whole, "A B C | [x \"q\"] [y\r\nz] [12] | - [\"] [7] | [last] - -");
}

// A loaded value is kept where it lay in the file, next to its neighbours: a
// longer one put in its place must not run into them, nor a shorter one leave
// a tail of the old.
TEST(QuotedFormTest, ValuesKeptInTheFileBytesTakeNewValuesOfAnyLength) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("day.txt"),
                        "\"A\";\"B\"\r\n\"x \"\"q\"\"\";\"yz\"\r\n\"uv\";w\r\n");
    TMlb2 table;
    ASSERT_TRUE(table.Load(dir.File("day.txt")));
    ASSERT_TRUE(table.MoveFirst());
    ASSERT_TRUE(table.SetValue("A", "a longer value than before"));
    ASSERT_TRUE(table.MoveNext());
    ASSERT_TRUE(table.SetValue("A", "s"));
    ASSERT_TRUE(table.SetValue("B", std::nullopt));
    EXPECT_EQ(Dump(table), "A B | [a longer value than before] [yz] | [s] -");
    const TMlb2 copy = table;
    table.Clear();
    EXPECT_EQ(Dump(copy), "A B | [a longer value than before] [yz] | [s] -");
}

TEST(QuotedFormTest, AppendingRecordToLogFile) {
    testing::TempDir dir;
    const std::string path = dir.File("20240501.txt");
    for (const char* file : {"a.jpg", "b \"new\".png"}) {
        TMlb2 log;
        if (log.Load(path))
            log.MoveLast();
        else
            MakeColumns(log, {"File", "Folder"});
        log.AppendRow();
        ASSERT_TRUE(log.MoveNext());
        ASSERT_TRUE(log.SetValue("File", file) && log.SetValue("Folder", "/pics"));
        ASSERT_TRUE(log.Save(path));
    }
    EXPECT_EQ(testing::ReadBytes(path),
              "\"File\";\"Folder\"\r\n\"a.jpg\";\"/pics\"\r\n\"b \"\"new\"\".png\";\"/pics\"\r\n");
}

} // namespace
} // namespace kelvo
