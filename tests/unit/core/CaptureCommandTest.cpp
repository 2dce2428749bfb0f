#include "commands/CaptureCommand.h"
#include "session/HomeFolder.h"
#include "session/InstanceLock.h"
#include "support/CaptureFakes.h"
#include "support/FileIdentity.h"
#include "support/FileReads.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sys/stat.h>
#include <thread>

namespace kelvo {
namespace {

using testing::FileIdentity;
using testing::IdentityOf;
using testing::Native;
using testing::ReadFile;
using testing::WriteBytes;

class CaptureCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        home = temp.path() + "/home/";
        target = temp.path() + "/pictures/";
        QDir().mkpath(home);
        QDir().mkpath(target);
        ASSERT_TRUE(WriteBytes(home + "kelvo.ini",
                               "[Form]\r\nDefSiki=壁紙\r\nDefFolder=" + target.toUtf8() + "\r\n"));
    }

    QString Source(const QString& name) {
        const QString path = temp.path() + "/" + name;
        EXPECT_TRUE(WriteBytes(path, "bytes of " + name.toUtf8())) << path.toStdString();
        return path;
    }

    int Run(const QStringList& args, QTextStream* in = nullptr) {
        output.clear();
        errors.clear();
        QTextStream out(&output), err(&errors);
        const int code = RunCaptureCommand(args, home, pictures, clock, out, err, {}, in);
        out.flush();
        err.flush();
        return code;
    }

    QTemporaryDir temp;
    QString home, target, output, errors;
    QString pictures; // the pictures folder's Kelvo/; none by default
    testing::FixedClock clock{QDateTime(QDate(2006, 5, 30), QTime(14, 3, 7))};
};

// As the window would: a home of its own keeps its destination, a new one
// saves into the pictures folder, made for the first capture.
TEST_F(CaptureCommandTest, ANewHomeCapturesIntoThePicturesFolder) {
    pictures = PicturesDestinationFolder(temp.path() + "/Pictures");
    EXPECT_EQ(Run({Source("kept.jpg")}), 0) << errors.toStdString();
    EXPECT_TRUE(QFileInfo::exists(target + "kept.jpg"));
    ASSERT_TRUE(QFile::remove(home + "kelvo.ini"));
    EXPECT_EQ(Run({Source("new.jpg")}), 0) << errors.toStdString();
    EXPECT_TRUE(QFileInfo::exists(temp.path() + "/Pictures/Kelvo/new.jpg"));
    // A folder name with a line break would not survive kelvo.ini.
    EXPECT_EQ(PicturesDestinationFolder("/home/u/Pic\ntures"), QString());
}

TEST_F(CaptureCommandTest, CapturesIntoTheCurrentDestinationAndKeepsTheHistory) {
    EXPECT_EQ(Run({Source("a.jpg"), Source("b[1].png")}), 0) << errors.toStdString();
    EXPECT_EQ(output, target + "a.jpg\tを保存しました。\n" + target + "b.png\tを保存しました。\n");
    EXPECT_TRUE(QFileInfo::exists(home + "Logs/2006年05月/20060530.txt"));
    const std::optional<QByteArray> tree = ReadFile(home + "TreeViewLogs.txt");
    ASSERT_TRUE(tree.has_value());
    EXPECT_EQ(*tree, QByteArray("2006年05月\r\n\t20060530\r\n"));
}

TEST_F(CaptureCommandTest, ABracketGroupThatIsTheWholeStemIsKept) {
    EXPECT_EQ(Run({Source("[1].jpg"), Source("[2]"), Source("..[3]")}), 0) << output.toStdString();
    for (const char* name : {"[1].jpg", "[2]", "..[3]"})
        EXPECT_TRUE(QFileInfo(target + name).isFile()) << name;
}

TEST_F(CaptureCommandTest, AClashIsSkippedOrNumberedAsAsked) {
    const QString source = Source("photo.jpg");
    testing::FileReads reads(Native(source));
    ASSERT_TRUE(reads.Watching());
    ASSERT_EQ(Run({source}), 0);
    EXPECT_EQ(Run({source}), 0);
    EXPECT_TRUE(output.startsWith(source + "\t")) << output.toStdString();
    EXPECT_EQ(Run({"--on-clash", "auto", source}), 0);
    EXPECT_EQ(output,
              target + "photo[1].jpg\tに改名し保存しました。 同じ画像: " + target + "photo.jpg\n");
    // Once a capture: whether it is a picture saved before is told by the
    // hash its copy takes.
    EXPECT_EQ(reads.Count(), 3);
}

// The tree file changes only with a new day: a capture on a known day leaves
// it as it was, not even rewritten with the same bytes.
TEST_F(CaptureCommandTest, TheHistoryTreeIsWrittenOnlyForANewDay) {
    const QString tree = home + "TreeViewLogs.txt";
    ASSERT_EQ(Run({Source("a.jpg")}), 0) << errors.toStdString();
    const FileIdentity first = IdentityOf(tree);
    ASSERT_NE(first.inode, 0u);
    ASSERT_EQ(Run({Source("b.jpg"), Source("c.jpg")}), 0) << errors.toStdString();
    EXPECT_TRUE(IdentityOf(tree) == first);
    EXPECT_EQ(Run({Source("a.jpg")}), 0) << "skipped: nothing captured";
    EXPECT_TRUE(IdentityOf(tree) == first);

    clock.now = clock.now.addDays(1);
    ASSERT_EQ(Run({Source("d.jpg")}), 0) << errors.toStdString();
    EXPECT_FALSE(IdentityOf(tree) == first);
    const std::optional<QByteArray> saved = ReadFile(tree);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, QByteArray("2006年05月\r\n\t20060530\r\n\t20060531\r\n"));
}

// A new day the capture could not keep in the tree is reported, not lost
// without a word.
TEST_F(CaptureCommandTest, ANewDayThatCannotBeKeptIsNoSuccess) {
    // Linked into a folder that is gone: read as no tree yet, written nowhere.
    ASSERT_TRUE(QFile::link(home + "gone/TreeViewLogs.txt", home + "TreeViewLogs.txt"));
    EXPECT_EQ(Run({Source("a.jpg")}), 1);
    EXPECT_TRUE(QFileInfo::exists(target + "a.jpg"));
    EXPECT_TRUE(errors.contains("cannot write " + home + "TreeViewLogs.txt"))
        << errors.toStdString();
}

// Wrong arguments save nothing and say what is wrong before the usage.
TEST_F(CaptureCommandTest, WrongArgumentsAreNamed) {
    const QString source = Source("photo.jpg");
    const std::pair<QStringList, const char*> cases[] = {
        {{"--on-clash", "ask", source}, "not \"ask\""},
        {{source, "--on-clash"}, "--on-clash needs a value"},
        {{"--on-clash", "auto"}, "no file given"},
        {{}, "no file given"},
        {{"--frob", source}, "unknown option --frob"},
        {{"--on-duplicate", "never", source}, "not \"never\""},
        {{source, "--on-duplicate"}, "--on-duplicate needs a value"},
    };
    for (const auto& [args, named] : cases) {
        EXPECT_EQ(Run(args), 2) << named;
        EXPECT_TRUE(errors.startsWith("kelvo capture: ")) << errors.toStdString();
        EXPECT_TRUE(errors.contains(QString::fromUtf8(named))) << errors.toStdString();
        EXPECT_TRUE(errors.contains("Usage: kelvo")) << errors.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(target + "photo.jpg"));
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_TRUE(output.startsWith("Usage: kelvo [--home DIR] capture")) << output.toStdString();
    // A file may begin with "-" after "--".
    EXPECT_EQ(Run({"--", Source("-dash.jpg")}), 0) << errors.toStdString();
    // A wrong call, or the usage, makes no home that was not there.
    home = temp.path() + "/none/";
    EXPECT_EQ(Run({"--frob", source}), 2);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_FALSE(QFileInfo::exists(home));
}

// The window's question, without a window: the earlier file is named either way.
TEST_F(CaptureCommandTest, APictureCapturedBeforeIsSavedSkippedOrAskedAbout) {
    const QString first = Source("first.jpg");
    ASSERT_EQ(Run({first}), 0) << errors.toStdString();
    const QString again = temp.path() + "/again.jpg";
    ASSERT_TRUE(QFile::copy(first, again));

    EXPECT_EQ(Run({"--on-duplicate", "skip", again}), 0) << errors.toStdString();
    EXPECT_EQ(output, again + "\t同じ画像を保存済みのため保存しませんでした。 同じ画像: " + target +
                          "first.jpg\n");
    QString answer = "n\n";
    QTextStream in(&answer);
    EXPECT_EQ(Run({"--on-duplicate", "ask", again}, &in), 0);
    EXPECT_TRUE(errors.contains("the same picture as " + target + "first.jpg"))
        << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target + "again.jpg"));
    EXPECT_EQ(Run({again}), 0) << errors.toStdString();
    EXPECT_EQ(output, target + "again.jpg\tを保存しました。 同じ画像: " + target + "first.jpg\n");
}

// A pipe would hold the capture up for good, waiting for a writer.
TEST_F(CaptureCommandTest, AnythingButARegularFileIsRefusedAtOnce) {
    const QString pipe = temp.path() + "/pipe.jpg";
    ASSERT_EQ(::mkfifo(Native(pipe).c_str(), 0600), 0);
    EXPECT_EQ(Run({pipe, temp.path()}), 1);
    EXPECT_EQ(output, pipe + "\t" + pipe + " は通常のファイルではないため保存しません。\n" +
                          temp.path() + "\t" + temp.path() +
                          " は通常のファイルではないため保存しません。\n");
}

// One line per file, whatever its name holds.
TEST_F(CaptureCommandTest, ANameWithALineBreakIsPrintedEscaped) {
    EXPECT_EQ(Run({Source("a\nb\\c.jpg")}), 0) << errors.toStdString();
    EXPECT_EQ(output, target + "a\\nb\\\\c.jpg\tを保存しました。\n");
}

// The picture is kept, and the missing row is said, in words and in the exit code.
TEST_F(CaptureCommandTest, ASavedPictureWhoseRowCannotBeWrittenIsNoSuccess) {
    QDir().mkpath(home + "Logs/2006年05月");
    // Another program's log.
    ASSERT_TRUE(WriteBytes(home + "Logs/2006年05月/20060530.txt", "\"one\";\"two\"\r\n"));
    EXPECT_EQ(Run({Source("a.jpg")}), 1);
    EXPECT_TRUE(QFileInfo::exists(target + "a.jpg"));
    EXPECT_EQ(output, target + "a.jpg\tを保存しました。 ただし、ログに記録できませんでした。\n");
    EXPECT_TRUE(errors.contains("20060530.txt に書き込めません")) << errors.toStdString();
}

TEST_F(CaptureCommandTest, FailsForAMissingFileOrALockedHome) {
    EXPECT_EQ(Run({temp.path() + "/missing.jpg"}), 1);
    EXPECT_FALSE(errors.isEmpty());

    InstanceLock running(home);
    ASSERT_TRUE(running.TryLock());
    EXPECT_EQ(Run({Source("c.jpg")}), 1);
    EXPECT_TRUE(errors.contains("another Kelvo")) << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target + "c.jpg"));
}

// Two captures started at once: the second waits for the first.
TEST_F(CaptureCommandTest, AHomeHeldForAMomentIsWaitedFor) {
    std::atomic<bool> held = false;
    std::thread first([&] {
        InstanceLock lock(home);
        held = lock.TryLock();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    while (!held)
        std::this_thread::yield();
    EXPECT_EQ(Run({Source("d.jpg")}), 0) << errors.toStdString();
    first.join();
    EXPECT_TRUE(QFileInfo::exists(target + "d.jpg"));
}

// A lock file that cannot be made is no other Kelvo: what failed is said.
TEST_F(CaptureCommandTest, ALockFileThatCannotBeMadeIsSaidAsSuch) {
    home = Source("a-file") + "/home/"; // a home that cannot be made
    EXPECT_EQ(Run({Source("c.jpg")}), 1);
    EXPECT_FALSE(errors.contains("another Kelvo")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("home/kelvo.lock: Not a directory")) << errors.toStdString();
}

} // namespace
} // namespace kelvo
