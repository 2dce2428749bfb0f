#include "commands/TableCommand.h"
#include "commands/CommandOutput.h"
#include "support/Files.h"
#include "support/Tables.h"
#include "table/TMlb2.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvo {
namespace {

using testing::MakeTable;

struct Result {
    int code = -1;
    QString out;
    QString err;
};

Result Command(const QStringList& args) {
    Result result;
    CommandOutput out;
    QTextStream err(&result.err);
    result.code = RunTableCommand(args, out, err);
    result.out = QString::fromUtf8(out.Gathered().data(), qsizetype(out.Gathered().size()));
    return result;
}

class TableCommandTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    void WriteBytes(const QString& name, const QByteArray& bytes) const {
        ASSERT_TRUE(testing::WriteBytes(PathOf(name), bytes)) << name.toStdString();
    }

    QByteArray ReadBytes(const QString& name) const { return testing::ReadBytes(PathOf(name)); }

    void Save(TMlb2 table, const QString& name) const {
        ASSERT_TRUE(table.Save(testing::Native(PathOf(name))));
    }

private:
    QTemporaryDir dir_;
};

TEST_F(TableCommandTest, DumpsAShiftJisFileOfTheOldProgramAsJapanese) {
    // "名前";"場所" / "ケルボ";"C:\ソース\表" / "写真";"" — 0x5C also appears as a
    // trail byte; the last row was added in UTF-8 and is read as such: each
    // value is decoded on its own.
    WriteBytes("ListView.txt",
               "\"\x96\xBC\x91\x4F\";\"\x8F\xEA\x8F\x8A\"\r\n"
               "\"\x83\x50\x83\x8B\x83\x7B\";\"C:\\\x83\x5C\x81\x5B\x83\x58\\\x95\x5C\"\r\n"
               "\"\xE5\x86\x99\xE7\x9C\x9F\";\"\"\r\n");
    const Result result = Command({"dump", PathOf("ListView.txt")});
    EXPECT_EQ(result.code, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("名前\t場所\nケルボ\tC:\\\\ソース\\\\表\n写真\t\n"));
}

TEST_F(TableCommandTest, DumpsUtf8RowsOnOneLineEachWithTypesOnlyWhenAsked) {
    TMlb2 table =
        MakeTable({"名前\tx", "c"}, {{"ケルボ", "é"}, {"x\ty", "1\n2\r3"}, {"C:\\dir\\", {}}});
    table.SetColumnType(2, "FLOAT");
    Save(table, "t.mlb");
    const QString rows = QStringLiteral("ケルボ\té\nx\\ty\t1\\n2\\r3\nC:\\\\dir\\\\\t\n");
    const Result result = Command({"dump", PathOf("t.mlb")});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, QStringLiteral("名前\\tx\tc\n") + rows);
    const QString typed = QStringLiteral("名前\\tx\tc\nSTRING\tFLOAT\n") + rows;
    EXPECT_EQ(Command({"dump", "--types", PathOf("t.mlb")}).out, typed);
    EXPECT_EQ(Command({"dump", PathOf("t.mlb"), "--types"}).out, typed);
}

TEST_F(TableCommandTest, ConvertCarriesBytesThroughEveryForm) {
    const std::string sjis = "\x83\x50\x83\x8B\x83\x7B\\\x95\x5C"; // ケルボ\表 in Shift-JIS
    Save(MakeTable({"名前", "値"}, {{"ケルボ", sjis}, {"a;\"b\"", "C:\\dir\\"}, {"", {}}}),
         "ケルボ.txt");
    const QStringList chain = {"ケルボ.txt", "t.mlb", "t.csv", "back.txt"};
    for (int i = 0; i + 1 < chain.size(); ++i) {
        const Result result = Command({"convert", PathOf(chain[i]), PathOf(chain[i + 1])});
        ASSERT_EQ(result.code, 0) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_TRUE(ReadBytes("t.mlb").startsWith("MLB"));
    EXPECT_TRUE(ReadBytes("t.csv").contains("a\\;\"b\"")); // the escaped form
    EXPECT_EQ(ReadBytes("back.txt"), ReadBytes("ケルボ.txt"));
}

TEST_F(TableCommandTest, FilesThatCannotBeReadOrWrittenExitOneWithAMessage) {
    const Result missing = Command({"dump", PathOf("missing.txt")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains(PathOf("missing.txt")));
    EXPECT_TRUE(missing.err.contains("no such file"));

    WriteBytes("broken.mlb", "not a binary table");
    const Result broken = Command({"convert", PathOf("broken.mlb"), PathOf("out.txt")});
    EXPECT_EQ(broken.code, 1);
    EXPECT_TRUE(broken.err.contains(PathOf("broken.mlb")));
    EXPECT_FALSE(QFile::exists(PathOf("out.txt")));

    Save(MakeTable({"a"}, {{"x"}}), "t.txt");
    const QString target = PathOf("no/such/folder/t.csv");
    const Result unwritable = Command({"convert", PathOf("t.txt"), target});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_TRUE(unwritable.err.contains("cannot write") && unwritable.err.contains(target));
}

// What is wrong comes first, then the usage.
TEST(TableCommand, WrongUsageExitsTwoNamingTheFaultThenTheUsage) {
    const std::vector<std::pair<QStringList, QString>> wrong = {
        {{}, "dump or convert is missing"},
        {{"show"}, "unknown command show"},
        {{"dump"}, "dump takes one file"},
        {{"dump", "--all"}, "unknown option --all"},
        {{"dump", "a.txt", "b.txt"}, "dump takes one file"},
        {{"convert", "a.txt"}, "convert takes two files"},
        {{"convert", "a", "b", "c"}, "convert takes two files"}};
    for (const auto& [args, fault] : wrong) {
        const Result result = Command(args);
        EXPECT_EQ(result.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("kelvo table: " + fault)) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("\n\nUsage: kelvo table")) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    const Result help = Command({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("\\t"));
}

} // namespace
} // namespace kelvo
