#include "TableTestSupport.h"

#include "platform/FileBytes.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kelvo {
namespace {

using test::AddRow;
using test::MakeColumns;
using test::ValueAt;

TMlb2 TwoRowTable() {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    AddRow(table, {"1", "x"});
    AddRow(table, {"2", "y"});
    return table;
}

TEST(TableFilesTest, FormFollowsLastThreeCharacters) {
    for (const char* path : {"a.txt", "a.Txt", "a.TXT", "/d/a.ctxt", "txt"})
        EXPECT_EQ(FormForPath(path), TableForm::Quoted) << path;
    for (const char* path : {"a.mlb", "a.MLB", "a.mLb", "/x.txt/b.mlb"})
        EXPECT_EQ(FormForPath(path), TableForm::Binary) << path;
    for (const char* path : {"a.csv", "a.dat", "a.txtx", "a.tx", "/x.mlb/file", "a.t\xf8t"})
        EXPECT_EQ(FormForPath(path), TableForm::Escaped) << path;
}

TEST(TableFilesTest, SaveWritesTheFormOfThePath) {
    test::TempDir dir;
    TMlb2 table = TwoRowTable();
    ASSERT_TRUE(table.Save(dir.File("q.Txt")));
    EXPECT_EQ(test::ReadBytes(dir.File("q.Txt")), WriteQuotedForm(table));
    EXPECT_EQ(test::ReadBytes(dir.File("q.Txt")).substr(0, 10), "\"A\";\"B\"\r\n\"");
    ASSERT_TRUE(table.Save(dir.File("e.csv")));
    EXPECT_EQ(test::ReadBytes(dir.File("e.csv")), "A;B\r\n1;x\r\n2;y\r\n");
    ASSERT_TRUE(table.Save(dir.File("e.dat")));
    EXPECT_EQ(test::ReadBytes(dir.File("e.dat")), "A;B\r\n1;x\r\n2;y\r\n");
    ASSERT_TRUE(table.Save(dir.File("b.MLB")));
    EXPECT_EQ(test::ReadBytes(dir.File("b.MLB")), WriteBinaryForm(table));
    EXPECT_EQ(test::ReadBytes(dir.File("b.MLB")).substr(0, 3), "MLB");
}

TEST(TableFilesTest, SaveLeavesLastRowCurrent) {
    test::TempDir dir;
    for (const char* name : {"s.txt", "s.csv", "s.mlb"}) {
        TMlb2 table = TwoRowTable();
        ASSERT_TRUE(table.MoveFirst());
        ASSERT_TRUE(table.Save(dir.File(name)));
        EXPECT_EQ(table.CurrentRow(), 2) << name;
        EXPECT_FALSE(table.AtEnd()) << name;
    }
}

TEST(TableFilesTest, TextFormLoadNamesTableAfterFile) {
    test::TempDir dir;
    TMlb2 table = TwoRowTable();
    table.SetTableName("stored");
    for (const char* name : {"ListView.txt", "ListView.csv"}) {
        ASSERT_TRUE(table.Save(dir.File(name)));
        TMlb2 back;
        back.SetTableName("old");
        back.Clear();
        ASSERT_TRUE(back.Load(dir.File(name)));
        EXPECT_EQ(back.TableName(), "ListView") << name;
        EXPECT_EQ(back.RowCount(), 2) << name;
        EXPECT_EQ(back.CurrentRow(), 2) << name;
    }
}

TEST(TableFilesTest, LoadOfMissingFileFailsAndChangesNothing) {
    test::TempDir dir;
    for (const char* name : {"none.txt", "none.csv", "none.mlb"}) {
        TMlb2 table = TwoRowTable();
        table.SetTableName("kept");
        ASSERT_TRUE(table.MoveFirst());
        EXPECT_FALSE(table.Load(dir.File(name))) << name;
        EXPECT_EQ(table.TableName(), "kept");
        EXPECT_EQ(table.RowCount(), 2);
        EXPECT_EQ(table.ColumnCount(), 2);
        EXPECT_EQ(table.CurrentRow(), 1);
    }
}

TEST(TableFilesTest, EmptyFilesLoadAsEmptyTables) {
    test::TempDir dir;
    for (const char* name : {"empty.txt", "empty.csv"}) {
        test::WriteBytes(dir.File(name), "");
        TMlb2 table = TwoRowTable();
        table.Clear();
        ASSERT_TRUE(table.Load(dir.File(name))) << name;
        EXPECT_EQ(table.ColumnCount(), 0);
        EXPECT_EQ(table.RowCount(), 0);
        EXPECT_TRUE(table.AtEnd());
    }
    // A table with neither columns nor rows saves as an empty quoted file.
    TMlb2 none;
    none.Clear();
    ASSERT_TRUE(none.Save(dir.File("none.txt")));
    EXPECT_EQ(test::ReadBytes(dir.File("none.txt")), "");
}

TEST(TableFilesTest, FailedSaveKeepsOldFileAndLeavesNoTemporary) {
    test::TempDir dir;
    TMlb2 table = TwoRowTable();

    // Missing folder.
    EXPECT_FALSE(table.Save(dir.File("missing/x.txt")));
    EXPECT_FALSE(table.Save(dir.File("missing/x.mlb")));
    EXPECT_TRUE(dir.Entries().empty());

    // Parent is a regular file.
    const std::string plain = dir.File("plain.txt");
    test::WriteBytes(plain, "old contents\r\n");
    EXPECT_FALSE(table.Save(plain + "/x.csv"));
    EXPECT_EQ(test::ReadBytes(plain), "old contents\r\n");

    // The target is a folder: it cannot be replaced, and nothing is left over.
    std::filesystem::create_directory(dir.File("folder.txt"));
    test::WriteBytes(dir.File("folder.txt/inner"), "keep");
    EXPECT_FALSE(table.Save(dir.File("folder.txt")));
    EXPECT_EQ(test::ReadBytes(dir.File("folder.txt/inner")), "keep");
    auto entries = dir.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"folder.txt", "plain.txt"}));
}

TEST(TableFilesTest, SaveReplacesOldFileWhole) {
    test::TempDir dir;
    const std::string path = dir.File("list.txt");
    test::WriteBytes(path, std::string(5000, 'z'));
    TMlb2 table = TwoRowTable();
    ASSERT_TRUE(table.Save(path));
    EXPECT_EQ(test::ReadBytes(path), WriteQuotedForm(table));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"list.txt"});
}

TEST(TableFilesTest, AtomicWriteHelper) {
    test::TempDir dir;
    const std::string path = dir.File("f.bin");
    EXPECT_EQ(ReadFileBytes(path), std::nullopt);
    const std::string bytes("a\0b\r\n", 5);
    ASSERT_TRUE(WriteFileAtomically(path, bytes));
    EXPECT_EQ(ReadFileBytes(path), bytes);
    ASSERT_TRUE(WriteFileAtomically(path, ""));
    EXPECT_EQ(ReadFileBytes(path), std::string());
    EXPECT_FALSE(WriteFileAtomically(dir.File("no/f.bin"), "x"));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"f.bin"});
}

TEST(TableFilesTest, LongTokensSurviveEveryForm) {
    test::TempDir dir;
    std::string longValue;
    for (int i = 0; longValue.size() < 200000; ++i)
        longValue += (i % 7 == 0) ? "\";\\\n" : "abcdefg";
    const std::string longName(200000, 'N');
    const std::string longPlain(200000, '7');

    TMlb2 table;
    MakeColumns(table, {longName, "B"});
    table.SetTableName(longName);
    AddRow(table, {longValue, longPlain});
    for (const char* name : {"long.txt", "long.csv", "long.mlb"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(table.Save(dir.File(name)));
        TMlb2 back;
        back.Clear();
        ASSERT_TRUE(back.Load(dir.File(name)));
        ASSERT_EQ(back.ColumnCount(), 2);
        EXPECT_EQ(back.GetColumnName(1), Text(longName));
        ASSERT_EQ(back.RowCount(), 1);
        EXPECT_EQ(ValueAt(back, 1, 1), Text(longValue));
        EXPECT_EQ(ValueAt(back, 2, 1), Text(longPlain));
    }
    TMlb2 back;
    back.Clear();
    ASSERT_TRUE(back.Load(dir.File("long.mlb")));
    EXPECT_EQ(back.TableName(), longName);

    // A bare value as long, in the first column of a quoted file.
    test::WriteBytes(dir.File("bare.txt"), "A\r\n" + longPlain + "\r\n");
    back.Clear();
    ASSERT_TRUE(back.Load(dir.File("bare.txt")));
    EXPECT_EQ(ValueAt(back, 1, 1), Text(longPlain));
    EXPECT_EQ(back.GetColumnType(1), Text("FLOAT"));
}

} // namespace
} // namespace kelvo
