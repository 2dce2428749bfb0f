#include "support/StdFiles.h"
#include "support/Tables.h"

#include "files/TemporaryFile.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

namespace kelvo {
namespace {

using testing::AddRow;
using testing::Dump;
using testing::FileSizeLimit;
using testing::MakeColumns;
using Names = std::vector<std::string>;

TMlb2 TwoRowTable() {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    AddRow(table, {"1", "x"});
    AddRow(table, {"2", "y"});
    return table;
}

TEST(TableFilesTest, FormFollowsLastThreeCharacters) {
    for (const char* path : {"a.Txt", "/d/a.ctxt", "txt"})
        EXPECT_EQ(FormForPath(path), TableForm::Quoted) << path;
    for (const char* path : {"a.mLb", "/x.txt/b.mlb"})
        EXPECT_EQ(FormForPath(path), TableForm::Binary) << path;
    for (const char* path : {"a.csv", "a.txtx", "a.tx", "tx", "/x.mlb/file", "a.t\xf8t"})
        EXPECT_EQ(FormForPath(path), TableForm::Escaped) << path;
}

TEST(TableFilesTest, SaveWritesTheFormOfThePathAndLeavesLastRowCurrent) {
    testing::TempDir dir;
    const std::pair<const char*, std::string> cases[] = {
        {"q.Txt", "\"A\";\"B\"\r\n\"1\";\"x\"\r\n\"2\";\"y\"\r\n"},
        {"e.csv", "A;B\r\n1;x\r\n2;y\r\n"},
        {"b.MLB", WriteBinaryForm(TwoRowTable())}};
    for (const auto& [name, bytes] : cases) {
        TMlb2 table = TwoRowTable();
        ASSERT_TRUE(table.MoveFirst());
        ASSERT_TRUE(table.Save(dir.File(name)));
        EXPECT_EQ(testing::ReadBytes(dir.File(name)), bytes) << name;
        EXPECT_TRUE(table.CurrentRow() == 2 && !table.AtEnd()) << name;
    }
}

TEST(TableFilesTest, LoadNamesTextFormTablesAfterTheFileAndKeepsOptions) {
    testing::TempDir dir;
    TMlb2 table = TwoRowTable();
    table.SetTableName("stored");
    for (const std::string extension : {".txt", ".csv"}) {
        ASSERT_TRUE(table.Save(dir.File("ListView" + extension)));
        TMlb2 back;
        back.Concordances().spacesSignificant = false;
        ASSERT_TRUE(back.Load(dir.File("ListView" + extension)));
        EXPECT_EQ(back.TableName(), "ListView") << extension;
        EXPECT_FALSE(back.Concordances().spacesSignificant) << extension;
        EXPECT_EQ(Dump(back), "A B | [1] [x] | [2] [y]") << extension;
        EXPECT_EQ(back.CurrentRow(), 2) << extension;

        // A missing file fails, leaving the table as it was; an empty one empties it.
        ASSERT_TRUE(back.MoveFirst());
        EXPECT_FALSE(back.Load(dir.File("none" + extension))) << extension;
        EXPECT_EQ(Dump(back) + " " + back.TableName(), "A B | [1] [x] | [2] [y] ListView");
        EXPECT_EQ(back.CurrentRow(), 1);
        testing::WriteBytes(dir.File("empty" + extension), "");
        ASSERT_TRUE(back.Load(dir.File("empty" + extension))) << extension;
        EXPECT_TRUE(Dump(back).empty() && back.AtEnd()) << extension;
    }
    // A table with neither columns nor rows saves as an empty quoted file.
    TMlb2 none;
    ASSERT_TRUE(none.Save(dir.File("none.txt")));
    EXPECT_EQ(testing::ReadBytes(dir.File("none.txt")), "");
}

TEST(TableFilesTest, FailedSaveKeepsPreviousFileAndLeavesNoTemporary) {
    testing::TempDir dir;
    TMlb2 table;
    MakeColumns(table, {"V"});
    AddRow(table, {std::string(64 * 1024, 'v')});
    EXPECT_FALSE(table.Save(dir.File("missing/x.txt")));
    EXPECT_EQ(dir.Entries(), Names{});
    testing::WriteBytes(dir.File("old.mlb"), "previous\r\n");
    {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(table.Save(dir.File("old.mlb")));
    }
    EXPECT_EQ(testing::ReadBytes(dir.File("old.mlb")), "previous\r\n");
    EXPECT_FALSE(table.Save(dir.File("old.mlb/x.csv"))); // the parent is a file
    std::filesystem::create_directory(dir.File("folder.txt"));
    EXPECT_FALSE(table.Save(dir.File("folder.txt"))); // a folder cannot be replaced
    EXPECT_EQ(dir.Entries(), (Names{"folder.txt", "old.mlb"}));
    // Without the limit the same save replaces the file whole.
    ASSERT_TRUE(table.Save(dir.File("old.mlb")));
    EXPECT_EQ(testing::ReadBytes(dir.File("old.mlb")), WriteBinaryForm(table));
    EXPECT_EQ(dir.Entries(), (Names{"folder.txt", "old.mlb"}));
}

// A list or log linked into another folder (a synced one) is replaced there;
// the link stays a link.
TEST(TableFilesTest, SaveWritesThroughASymbolicLink) {
    testing::TempDir dir;
    std::filesystem::create_directory(dir.File("synced"));
    testing::WriteBytes(dir.File("synced/list.txt"), "old\r\n");
    std::filesystem::create_symlink("synced/list.txt", dir.File("ListView.txt"));
    std::filesystem::create_symlink(dir.File("ListView.txt"), dir.File("again.txt"));
    std::filesystem::create_symlink("synced/new.txt", dir.File("dangling.txt"));
    TMlb2 table = TwoRowTable();
    ASSERT_TRUE(table.Save(dir.File("again.txt")));
    ASSERT_TRUE(table.Save(dir.File("dangling.txt")));
    for (const char* link : {"ListView.txt", "again.txt", "dangling.txt"})
        EXPECT_TRUE(std::filesystem::is_symlink(dir.File(link))) << link;
    EXPECT_EQ(testing::ReadBytes(dir.File("synced/list.txt")), WriteQuotedForm(table));
    EXPECT_EQ(testing::ReadBytes(dir.File("synced/new.txt")), WriteQuotedForm(table));
    EXPECT_EQ(dir.Entries(), (Names{"ListView.txt", "again.txt", "dangling.txt", "synced"}));
}

// A close killed halfway leaves its temporary file; the next start removes
// those of processes that are gone, and nothing else.
TEST(TableFilesTest, LeftoverTemporaryFilesOfGoneProcessesAreRemoved) {
    testing::TempDir dir;
    const std::string gone = ".ListView.txt.tmp-2147483000-0-0";
    const std::string mine = ".kelvo.ini.tmp-" + std::to_string(::getpid()) + "-3-0";
    for (const std::string& name : {gone, mine, std::string("ListView.txt"),
                                    std::string(".notes.tmp-12"), std::string("x.tmp-1-2-3")})
        testing::WriteBytes(dir.File(name), "bytes");
    std::filesystem::create_directory(dir.File(".TreeView.txt.tmp-2147483001-0-0"));
    EXPECT_EQ(RemoveLeftoverTemporaryFiles(dir.File("")), 1);
    EXPECT_EQ(dir.Entries(), (Names{".TreeView.txt.tmp-2147483001-0-0", mine, ".notes.tmp-12",
                                    "ListView.txt", "x.tmp-1-2-3"}));
}

TEST(TableFilesTest, LongTokensSurviveEveryForm) {
    testing::TempDir dir;
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
        ASSERT_TRUE(table.Save(dir.File(name)));
        TMlb2 back;
        ASSERT_TRUE(back.Load(dir.File(name)));
        // Compared without EXPECT_EQ, which would print 400 kB on failure.
        EXPECT_TRUE(Dump(back) == longName + " B | [" + longValue + "] [" + longPlain + "]")
            << name;
        if (FormForPath(name) == TableForm::Binary) {
            EXPECT_TRUE(back.TableName() == longName);
        }
    }
    // A bare value as long, in the first column of a quoted file.
    testing::WriteBytes(dir.File("bare.txt"), "A\r\n" + longPlain + "\r\n");
    TMlb2 back;
    ASSERT_TRUE(back.Load(dir.File("bare.txt")));
    EXPECT_TRUE(Dump(back) == "A:FLOAT | [" + longPlain + "]");
}

} // namespace
} // namespace kelvo
