#include "commands/HistoryCommand.h"
#include "commands/CommandOutput.h"
#include "support/CapturedHome.h"
#include "support/Files.h"
#include "support/Logs.h"
#include "support/Times.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::At;

class HistoryCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        captured.Capture("b.jpg", At(2006, 3, 31, 23, 59, 59), "https://example.com/\tpage");
        captured.Capture("a.png", At(2006, 3, 31, 8, 0, 0));
        captured.Capture("c.gif", At(2006, 4, 1, 0, 0, 1));
        ASSERT_TRUE(captured.history.Save(captured.home + "TreeViewLogs.txt"));
    }

    int Run(const QStringList& args) {
        errors.clear();
        CommandOutput out;
        QTextStream err(&errors);
        const int code = RunHistoryCommand(args, captured.home, out, err);
        err.flush();
        output = QString::fromUtf8(out.Gathered().data(), qsizetype(out.Gathered().size()));
        return code;
    }

    QTemporaryDir temp;
    testing::CapturedHome captured{temp.path()};
    QString output, errors;
};

TEST_F(HistoryCommandTest, PrintsTheMonthsAndDays) {
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(output, "2006年03月\n\t20060331\n2006年04月\n\t20060401\n");
}

TEST_F(HistoryCommandTest, PrintsADaysCapturesInLogOrder) {
    EXPECT_EQ(Run({"20060331"}), 0) << errors.toStdString();
    const QString folder = captured.pictures;
    EXPECT_EQ(output, "b.jpg\t2006/03/31 23:59:59\t壁紙\thttps://example.com/%09page\t" + folder +
                          "\n" + "a.png\t2006/03/31 08:00:00\t壁紙\t\t" + folder + "\n");
}

TEST_F(HistoryCommandTest, ADayNotInTheTreeOrWrongUsageFails) {
    EXPECT_EQ(Run({"20060330"}), 1);
    EXPECT_TRUE(errors.contains("20060330")) << errors.toStdString();
    EXPECT_TRUE(output.isEmpty());
    EXPECT_EQ(Run({"20060331", "20060401"}), 2);
    EXPECT_TRUE(errors.startsWith("kelvo history: one day at most")) << errors.toStdString();
    EXPECT_EQ(Run({"--all"}), 2);
    EXPECT_TRUE(errors.startsWith("kelvo history: unknown option --all")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("Usage: kelvo [--home DIR] history")) << errors.toStdString();
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_TRUE(output.startsWith("Usage: kelvo [--home DIR] history")) << output.toStdString();
    // A day of the tree whose log was deleted lists nothing.
    QFile::remove(captured.home + "Logs/2006年04月/20060401.txt");
    EXPECT_EQ(Run({"20060401"}), 0);
    EXPECT_TRUE(output.isEmpty());
}

// The searches read every log of the home, newest first; the fixture's own
// captures (壁紙, in pictures/) are in two of them.
class HistorySearchCommandTest : public HistoryCommandTest {
protected:
    void Log(const QString& name, const QDateTime& at, const QString& identifier,
             const QString& address, const QString& folder) {
        ASSERT_TRUE(WriteCaptureLog(captured.home, {name, at, identifier, address, folder}));
        // As a capture does, so that the day prints by itself too.
        captured.history.AddCaptureDayToTree(at);
        ASSERT_TRUE(captured.history.Save(captured.home + "TreeViewLogs.txt"));
    }

    QString Root() const { return temp.path(); }
};

TEST_F(HistorySearchCommandTest, FindNeedsEveryWordInTheSearchedColumns) {
    Log("sunset beach.jpg", At(2006, 3, 15, 10, 0, 0), "海", "http://photos.example/summer",
        "/data/pics/");
    Log("sunset city.jpg", At(2006, 3, 15, 11, 0, 0), "街", "http://photos.example/winter",
        "/data/pics/");
    Log("dawn.jpg", At(2006, 3, 15, 12, 0, 0), "海", "http://photos.example/summer",
        "/data/sunset/");
    const QString beach =
        "20060315\tsunset beach.jpg\t2006/03/15 10:00:00\t海\thttp://photos.example/summer\t"
        "/data/pics/\n";
    const QString dawn =
        "20060315\tdawn.jpg\t2006/03/15 12:00:00\t海\thttp://photos.example/summer\t"
        "/data/sunset/\n";

    // Name with address, and folder with identifier: each word may be in any column.
    EXPECT_EQ(Run({"--find", "sunset", "summer"}), 0) << errors.toStdString();
    EXPECT_EQ(output, beach + dawn);
    // The words of one argument count one by one too.
    EXPECT_EQ(Run({"--find", "海 sunset　summer"}), 0);
    EXPECT_EQ(output, beach + dawn);
    EXPECT_EQ(Run({"--find", "sunset", "beach", "winter"}), 0);
    EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    // 取得日時 is not searched.
    EXPECT_EQ(Run({"--find", "12:00:00"}), 0);
    EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
}

TEST_F(HistorySearchCommandTest, FindIgnoresWidthAndCase) {
    Log("ｱｲｳ.jpg", At(2006, 3, 15, 10, 0, 0), "ＺＥＢＲＡ", "", "/data/");
    const QString line = "20060315\tｱｲｳ.jpg\t2006/03/15 10:00:00\tＺＥＢＲＡ\t\t/data/\n";
    for (const char* word : {"アイウ", "ｱｲｳ", "zebra", "Zebra", "ｚｅｂｒａ"}) {
        EXPECT_EQ(Run({"--find", QString::fromUtf8(word)}), 0) << word;
        EXPECT_EQ(output, line) << word;
    }
}

TEST_F(HistorySearchCommandTest, FindPrintsTheNewestDayFirstAndEachDayInLogOrder) {
    // Written out of time order: the log's order is kept within a day.
    Log("late.jpg", At(2006, 3, 31, 12, 0, 0), "kitten", "", "/k/");
    Log("early.jpg", At(2006, 3, 31, 8, 0, 0), "kitten", "", "/k/");
    Log("april.jpg", At(2006, 4, 1, 9, 0, 0), "kitten", "", "/k/");
    Log("old.jpg", At(2005, 12, 31, 23, 0, 0), "kitten", "", "/k/");
    Log("other.jpg", At(2006, 3, 20, 9, 0, 0), "puppy", "", "/k/");
    EXPECT_EQ(Run({"--find", "kitten"}), 0) << errors.toStdString();
    EXPECT_EQ(output, "20060401\tapril.jpg\t2006/04/01 09:00:00\tkitten\t\t/k/\n"
                      "20060331\tlate.jpg\t2006/03/31 12:00:00\tkitten\t\t/k/\n"
                      "20060331\tearly.jpg\t2006/03/31 08:00:00\tkitten\t\t/k/\n"
                      "20051231\told.jpg\t2005/12/31 23:00:00\tkitten\t\t/k/\n");
}

TEST_F(HistorySearchCommandTest, FindPrintsTheRowsAsADayDoes) {
    // A tab and a backslash are escaped, a byte-order mark in front is left out.
    Log("a\tb.jpg", At(2006, 3, 15, 10, 0, 0), QStringLiteral("\uFEFFkitten"), "http://x/\\y",
        "/k/");
    EXPECT_EQ(Run({"--find", "kitten"}), 0);
    const QString found = output;
    EXPECT_EQ(found, "20060315\ta\\tb.jpg\t2006/03/15 10:00:00\tkitten\thttp://x/\\\\y\t/k/\n");
    EXPECT_EQ(Run({"20060315"}), 0);
    EXPECT_EQ("20060315\t" + output, found);
}

TEST_F(HistorySearchCommandTest, FindsAShiftJisLogOfTheOldProgramAndPrintsItInUtf8) {
    // 画像.jpg, 壁紙 and the folder C:\画像\ in Shift-JIS.
    ASSERT_TRUE(testing::WriteShiftJisLog(
        captured.home + "Logs/2006年03月/20060315.txt",
        "\"\x89\xE6\x91\x9C.jpg\";\"2006/03/15 10:00:00\";\"\x95\xC7\x8E\x86\";"
        "\"http://example.jp/\";\"C:\\\x89\xE6\x91\x9C\\\"\r\n"));
    EXPECT_EQ(Run({"--find", "画像"}), 0) << errors.toStdString();
    EXPECT_EQ(output, "20060315\t画像.jpg\t2006/03/15 10:00:00\t壁紙\thttp://example.jp/\t"
                      "C:\\\\画像\\\\\n");
}

TEST_F(HistorySearchCommandTest, FindsAWindowsFolderByAWordOfIt) {
    Log("x.jpg", At(2006, 3, 15, 10, 0, 0), "id", "", "C:\\Users\\Taro\\Wallpapers\\");
    const QString line = "20060315\tx.jpg\t2006/03/15 10:00:00\tid\t\tC:\\\\Users\\\\Taro\\\\"
                         "Wallpapers\\\\\n";
    EXPECT_EQ(Run({"--find", "wallpapers"}), 0);
    EXPECT_EQ(output, line);
    // A word may hold the separator as the log has it.
    EXPECT_EQ(Run({"--find", "taro\\wallpapers"}), 0);
    EXPECT_EQ(output, line);
}

TEST_F(HistorySearchCommandTest, FindWithoutWordsIsWrongUsage) {
    EXPECT_EQ(Run({"--find", "nothing-of-the-kind"}), 0);
    EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
    for (const QStringList& args : {QStringList{"--find"}, QStringList{"--find", " ", "　"}}) {
        EXPECT_EQ(Run(args), 2) << args.join(u'|').toStdString();
        EXPECT_TRUE(errors.startsWith("kelvo history: --find needs a word"))
            << errors.toStdString();
        EXPECT_TRUE(errors.contains("history --find WORD...")) << errors.toStdString();
        EXPECT_TRUE(output.isEmpty());
    }
}

TEST_F(HistorySearchCommandTest, FileFindsTheRowThatSavedItByFolderAndName) {
    const QString saved = captured.Capture("same.jpg", At(2006, 3, 20, 9, 0, 0));
    ASSERT_EQ(saved, captured.pictures + "same.jpg");
    const QString elsewhere = Root() + "/elsewhere/";
    Log("same.jpg", At(2006, 3, 21, 9, 0, 0), "他", "", elsewhere);
    const QString savedLine =
        "20060320\tsame.jpg\t2006/03/20 09:00:00\t壁紙\t\t" + captured.pictures + "\n";

    EXPECT_EQ(Run({"--file", saved}), 0) << errors.toStdString();
    EXPECT_EQ(output, savedLine);
    EXPECT_EQ(Run({"--file", elsewhere + "same.jpg"}), 0) << errors.toStdString();
    EXPECT_EQ(output, "20060321\tsame.jpg\t2006/03/21 09:00:00\t他\t\t" + elsewhere + "\n");

    // A relative path starts at the current folder.
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(captured.pictures));
    const int code = Run({"--file", "same.jpg"});
    QDir::setCurrent(current);
    EXPECT_EQ(code, 0) << errors.toStdString();
    EXPECT_EQ(output, savedLine);
}

TEST_F(HistorySearchCommandTest, FileAnswersEveryPathAndNamesThoseWithoutACapture) {
    const QString missing = captured.pictures + "never.jpg";
    EXPECT_EQ(Run({"--file", captured.pictures + "a.png", missing, captured.pictures + "c.gif"}),
              1);
    EXPECT_EQ(output, "20060401\tc.gif\t2006/04/01 00:00:01\t壁紙\t\t" + captured.pictures + "\n" +
                          "20060331\ta.png\t2006/03/31 08:00:00\t壁紙\t\t" + captured.pictures +
                          "\n");
    EXPECT_EQ(errors, "kelvo history: no capture saved " + missing + "\n");

    EXPECT_EQ(Run({"--file"}), 2);
    EXPECT_TRUE(errors.startsWith("kelvo history: --file needs a path")) << errors.toStdString();
    EXPECT_TRUE(output.isEmpty());
}

TEST_F(HistorySearchCommandTest, AnUnreadableLogIsNamedAndTheOthersAreStillSearched) {
    const QString log = captured.home + "Logs/2006年03月/20060331.txt";
    if (!testing::MakeUnreadableFile(log, testing::ReadBytes(log)))
        GTEST_SKIP() << "no log could be made unreadable";
    const int findCode = Run({"--find", "壁紙"});
    const QString findOutput = output, findErrors = errors;
    const int fileCode = Run({"--file", captured.pictures + "c.gif"});
    QFile::remove(log);

    const QString april =
        "20060401\tc.gif\t2006/04/01 00:00:01\t壁紙\t\t" + captured.pictures + "\n";
    EXPECT_EQ(findCode, 1);
    EXPECT_EQ(findOutput, april);
    EXPECT_EQ(findErrors, "kelvo history: cannot read " + log + "\n");
    EXPECT_EQ(fileCode, 1);
    EXPECT_EQ(output, april);
    EXPECT_EQ(errors, "kelvo history: cannot read " + log + "\n");
}

TEST_F(HistorySearchCommandTest, ALogThatIsNoFileIsNamedAsUnreadable) {
    const QString log = captured.home + "Logs/2006年03月/20060331.txt";
    const QString april =
        "20060401\tc.gif\t2006/04/01 00:00:01\t壁紙\t\t" + captured.pictures + "\n";
    const QString named = "kelvo history: cannot read " + log + "\n";
    ASSERT_TRUE(QFile::remove(log));
    ASSERT_TRUE(QDir().mkpath(log));
    EXPECT_EQ(Run({"20060331"}), 1);
    EXPECT_EQ(errors, named);
    EXPECT_EQ(Run({"--find", "壁紙"}), 1);
    EXPECT_EQ(output, april);
    EXPECT_EQ(errors, named);

    ASSERT_TRUE(QDir().rmdir(log));
    ASSERT_TRUE(testing::MakePipe(log));
    int dayCode = 0, findCode = 0;
    QString dayErrors;
    EXPECT_FALSE(testing::OpensPipeForReading(log, [&] {
        dayCode = Run({"20060331"});
        dayErrors = errors;
        findCode = Run({"--find", "壁紙"});
    }));
    EXPECT_EQ(dayCode, 1);
    EXPECT_EQ(dayErrors, named);
    EXPECT_EQ(findCode, 1);
    EXPECT_EQ(output, april);
    EXPECT_EQ(errors, named);
}

} // namespace
} // namespace kelvo
