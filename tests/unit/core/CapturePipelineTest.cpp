#include "capture/CapturePipeline.h"
#include "destinations/CurrentDestination.h"
#include "logs/CaptureLog.h"
#include "logs/HistoryTree.h"
#include "support/CaptureFakes.h"
#include "support/FileReads.h"
#include "support/Files.h"
#include "support/Logs.h"
#include "support/Times.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace kelvo {
namespace {

using testing::At;
using testing::EntriesOf;
using testing::FakeBrowser;
using testing::FileReads;
using testing::FixedClock;
using testing::LogRows;
using testing::Native;
using testing::ReadBytes;
using testing::RecordingDisplay;
using testing::ScriptedPrompter;
using testing::WriteBytes;

DropPayload PayloadOf(const QString& path) {
    DropPayload payload;
    payload.files.append({path, {}});
    return payload;
}

class CapturePipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        home = temp.path() + "/home/";
        sources = temp.path() + "/sources/";
        target = temp.path() + "/pictures/";
        for (const QString& folder : {home, sources, target})
            QDir().mkpath(folder);
        destination.Set("壁紙", target);
        pipeline = std::make_unique<CapturePipeline>(
            CaptureContext{home, prompter, browser, clock, display, history, destination});
    }

    QString Source(const QString& name, const QByteArray& bytes = "picture bytes") {
        const QString path = sources + name;
        EXPECT_TRUE(testing::WriteBytesMakingFolders(path, bytes)) << path.toStdString();
        return path;
    }

    void Drop(const QStringList& paths, const QString& address = {}) {
        DropPayload payload;
        for (const QString& path : paths)
            payload.files.append({path, address});
        pipeline->HandleDroppedFiles(payload);
    }

    QString LogPath() const { return DailyLogPath(home, clock.now); }

    QTemporaryDir temp;
    QString home, sources, target;
    ScriptedPrompter prompter;
    FakeBrowser browser;
    FixedClock clock{At(2006, 5, 30, 14, 3, 7)};
    RecordingDisplay display;
    HistoryTree history;
    CurrentDestination destination{QString()};
    std::unique_ptr<CapturePipeline> pipeline;
};

TEST_F(CapturePipelineTest, CapturesFilesInDropOrderWithRowsCountAndStatus) {
    browser.pageAddress = "https://example.com/gallery";
    Drop({Source("b.jpg"), Source("a.png"), Source("c.gif")});

    for (const char* name : {"a.png", "b.jpg", "c.gif"})
        EXPECT_EQ(ReadBytes(target + name), "picture bytes") << name;
    const auto rows = LogRows(LogPath());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "b.jpg");
    EXPECT_EQ(rows[1].name, "a.png");
    EXPECT_EQ(rows[2].name, "c.gif");
    EXPECT_EQ(rows[0].time, "2006/05/30 14:03:07");
    EXPECT_EQ(rows[0].identifier, "壁紙");
    EXPECT_EQ(rows[0].address, "https://example.com/gallery");
    EXPECT_EQ(rows[0].folder, target);
    EXPECT_EQ(pipeline->CaptureCount(), 3);
    EXPECT_EQ(display.status, "3 画像取得");
    EXPECT_EQ(display.savedName, "c.gif");
    EXPECT_EQ(display.outcome, "を保存しました。");
    EXPECT_EQ(pipeline->LastSavedPath(), target + "c.gif");
    // The destination cannot change under the drop.
    EXPECT_EQ(display.events.first(), "hover off");
    EXPECT_EQ(display.events.last(), "hover on");
    EXPECT_EQ(display.events.count("clear"), 3);
}

TEST_F(CapturePipelineTest, StampsTheCopyAndAddsTheDayToTheTree) {
    Drop({Source("photo.jpg")});
    EXPECT_EQ(QFileInfo(target + "photo.jpg").lastModified(), clock.now);
    EXPECT_EQ(history.MonthTexts(), QStringList{"2006年05月"});
    EXPECT_EQ(history.DayTexts("2006年05月"), QStringList{"20060530"});
    EXPECT_TRUE(QFileInfo(home + "Logs/2006年05月").isDir());
    EXPECT_TRUE(QFileInfo::exists(home + "Logs/2006年05月/20060530.txt"));
}

TEST_F(CapturePipelineTest, DaysAndMonthsFollowTheCaptureTime) {
    Drop({Source("one.jpg")});
    clock.now = At(2006, 5, 31, 0, 0, 1); // just after midnight
    Drop({Source("two.jpg")});
    clock.now = At(2006, 6, 1, 9, 0, 0); // first day of a month
    Drop({Source("three.jpg")});

    EXPECT_EQ(LogRows(DailyLogPath(home, At(2006, 5, 30, 0, 0, 0))).size(), 1u);
    const auto nextDay = LogRows(DailyLogPath(home, At(2006, 5, 31, 0, 0, 0)));
    ASSERT_EQ(nextDay.size(), 1u);
    EXPECT_EQ(nextDay[0].time, "2006/05/31 00:00:01");
    EXPECT_EQ(LogRows(home + "Logs/2006年06月/20060601.txt").size(), 1u);
    EXPECT_EQ(history.MonthTexts(), (QStringList{"2006年05月", "2006年06月"}));
    EXPECT_EQ(history.DayTexts("2006年05月"), (QStringList{"20060530", "20060531"}));

    // Each new day is kept at once, so a crash before the close loses no day.
    HistoryTree saved;
    ASSERT_TRUE(saved.Load(HistoryTreeFilePath(home)));
    EXPECT_EQ(saved.MonthTexts(), history.MonthTexts());
    EXPECT_EQ(saved.DayTexts("2006年05月"), history.DayTexts("2006年05月"));
}

TEST_F(CapturePipelineTest, AnEmptyPageAddressFallsBackToTheImageAddress) {
    Drop({Source("photo.jpg")}, "https://img.example.com/photo.jpg");
    EXPECT_EQ(LogRows(LogPath()).at(0).address, "https://img.example.com/photo.jpg");
    EXPECT_EQ(pipeline->LastSourceAddress(), "https://img.example.com/photo.jpg");
}

TEST_F(CapturePipelineTest, TheBrowserIsAskedOncePerCaptureForTheViewerAndTheLog) {
    browser.pageAddress = "https://example.com/gallery";
    Drop({Source("a.jpg"), Source("b.jpg")}, "https://img.example.com/a.jpg");
    EXPECT_EQ(browser.asked, 2);
    EXPECT_EQ(LogRows(LogPath()).at(1).address, pipeline->LastSourceAddress());
}

// The page the note names, else the browser's page, else the frame the note
// names, else the image.
TEST_F(CapturePipelineTest, TheSourceIsTheBestTheDropAndTheBrowserGive) {
    const auto capture = [&](const QString& name, NoteState note, const QString& page,
                             const QString& frame, const QString& asked) {
        browser.pageAddress = asked;
        DropPayload payload;
        payload.files.append({Source(name), "https://img.test/" + name});
        payload.files[0].note = note;
        payload.files[0].pageAddress = page;
        payload.files[0].frameAddress = frame;
        pipeline->HandleDroppedFiles(payload);
        return pipeline->LastSourceAddress();
    };
    EXPECT_EQ(capture("1.jpg", NoteState::Taken, "https://page.test/", "", "https://asked.test/"),
              "https://page.test/");
    EXPECT_EQ(browser.asked, 0) << "a page the drop names needs no question";
    EXPECT_EQ(capture("2.jpg", NoteState::Taken, "", "https://frame.test/", "https://asked.test/"),
              "https://asked.test/");
    EXPECT_EQ(capture("3.jpg", NoteState::Taken, "", "https://frame.test/", ""),
              "https://frame.test/");
    EXPECT_EQ(capture("4.jpg", NoteState::Refused, "", "", ""), "https://img.test/4.jpg");
    const auto rows = LogRows(LogPath());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].address, "https://frame.test/");
    EXPECT_EQ(rows[3].address, "https://img.test/4.jpg");
}

TEST_F(CapturePipelineTest, AControlCharacterInAnAddressIsNeverLoggedRaw) {
    browser.pageAddress = QString("https://example.com/a") + QChar(0) + "b\r\nc\x7F";
    Drop({Source("a.jpg")});
    EXPECT_EQ(LogRows(LogPath()).at(0).address, "https://example.com/a%00b%0D%0Ac%7F");
    EXPECT_EQ(pipeline->LastSourceAddress(), "https://example.com/a%00b%0D%0Ac%7F");
}

TEST_F(CapturePipelineTest, ABrowserDropWithoutNoteOrAnsweringBrowserGetsOneHint) {
    int drops = 0;
    const auto drop = [&](NoteState note) {
        const QString name = QString("photo%1.jpg").arg(++drops);
        DropPayload payload;
        payload.files.append({Source(name), "https://img.test/" + name});
        payload.files[0].note = note;
        pipeline->HandleDroppedFiles(payload);
    };
    EXPECT_EQ(pipeline->LastBrowserNote(), NoteState::NotFromBrowser);
    browser.pageAddress = "https://asked.test/";
    drop(NoteState::Missing);
    EXPECT_TRUE(display.hints.isEmpty()) << "the browser told the page";
    browser.pageAddress.clear();
    drop(NoteState::Refused);
    drop(NoteState::NotFromBrowser);
    EXPECT_TRUE(display.hints.isEmpty()) << "the extension is there, or no browser";
    EXPECT_EQ(pipeline->LastBrowserNote(), NoteState::Refused);
    drop(NoteState::Missing);
    drop(NoteState::Missing);
    ASSERT_EQ(display.hints.size(), 1);
    EXPECT_TRUE(display.hints[0].contains("拡張機能"));
    EXPECT_EQ(pipeline->LastBrowserNote(), NoteState::Missing);
}

TEST_F(CapturePipelineTest, ARowIsNeverLostToAMissingLogsFolder) {
    Drop({Source("one.jpg")});
    QDir(home + "Logs").removeRecursively(); // the month is known, its folder gone
    Drop({Source("two.jpg")});
    EXPECT_EQ(LogRows(LogPath()).size(), 1u);
    EXPECT_TRUE(prompter.notices.isEmpty());
}

TEST_F(CapturePipelineTest, ALogThatCannotBeWrittenIsReportedByName) {
    QDir().mkpath(home + "Logs/2006年05月");
    QDir().mkpath(LogPath()); // a folder where the log should be
    Drop({Source("photo.jpg")});
    ASSERT_EQ(prompter.notices.size(), 1);
    EXPECT_TRUE(prompter.notices[0].contains(LogPath())) << prompter.notices[0].toStdString();
    EXPECT_TRUE(QFileInfo::exists(target + "photo.jpg"));
}

TEST_F(CapturePipelineTest, AShiftJisLogOfTheOldProgramIsContinuedInUtf8) {
    // One old row naming 壁紙 (95 C7 8E 86).
    ASSERT_TRUE(testing::WriteShiftJisLog(
        LogPath(), "\"old.jpg\";\"2006/05/30 10:00:00\";\"\x95\xC7\x8E\x86\";\"\";\"C:\\\"\r\n"));
    Drop({Source("new.jpg")});
    const auto rows = LogRows(LogPath());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].identifier, "壁紙");
    EXPECT_EQ(rows[1].name, "new.jpg");
}

TEST_F(CapturePipelineTest, RemovesTheFirstBracketGroupFromTheSavedName) {
    Drop({Source("photo[1].jpg"), Source("a[2]b[3].png"), Source("x]y[1.gif")});
    EXPECT_TRUE(QFileInfo::exists(target + "photo.jpg"));
    EXPECT_TRUE(QFileInfo::exists(target + "ab[3].png"));
    EXPECT_TRUE(QFileInfo::exists(target + "x]y[1.gif"));
}

TEST_F(CapturePipelineTest, AMissingFolderIsNamedAndNothingIsSaved) {
    destination.Set("消えた", temp.path() + "/gone/");
    display.status = "画像ドロップ待機中";
    Drop({Source("photo.jpg")});
    ASSERT_EQ(prompter.notices.size(), 1);
    EXPECT_EQ(prompter.notices[0],
              "保存先フォルダ " + temp.path() +
                  "/gone が存在しません。\n存在するフォルダを設定してください。");
    EXPECT_EQ(pipeline->CaptureCount(), 0);
    EXPECT_EQ(display.status, "画像ドロップ待機中");
    EXPECT_TRUE(display.events.contains("beep"));
}

TEST_F(CapturePipelineTest, WithoutAFolderTheHomeFolderIsUsed) {
    CurrentDestination none(home);
    CapturePipeline toHome({home, prompter, browser, clock, display, history, none});
    toHome.CaptureFile({Source("photo.jpg"), {}});
    EXPECT_TRUE(QFileInfo::exists(home + "photo.jpg"));
}

TEST_F(CapturePipelineTest, AutoRenameTriesTheCacheNameThenNumbersOn) {
    ASSERT_TRUE(WriteBytes(target + "photo.jpg", "old"));
    prompter.clashChoices = {ClashChoice::AutoRename, ClashChoice::AutoRename,
                             ClashChoice::AutoRename};
    Drop({Source("photo[1].jpg", "first")});
    EXPECT_EQ(ReadBytes(target + "photo[1].jpg"), "first");
    Drop({Source("photo[1].jpg", "second")});
    EXPECT_EQ(ReadBytes(target + "photo[2].jpg"), "second");
    Drop({Source("photo.jpg", "third")});
    EXPECT_EQ(ReadBytes(target + "photo[3].jpg"), "third");
    EXPECT_EQ(ReadBytes(target + "photo.jpg"), "old");
    EXPECT_EQ(display.outcome, "に改名し保存しました。");
    EXPECT_EQ(pipeline->CaptureCount(), 3);
    ASSERT_EQ(prompter.clashes.size(), 3u);
    EXPECT_EQ(prompter.clashes[0].existingPath, target + "photo.jpg");
    EXPECT_EQ(prompter.clashes[0].cleanName, "photo.jpg");
    EXPECT_TRUE(display.events.contains("topmost"));
}

// However many names are taken, the dropped file is copied once, and what the
// taken names hold is never touched.
TEST_F(CapturePipelineTest, AutoRenameCopiesOnceHoweverManyNamesAreTaken) {
    ASSERT_TRUE(WriteBytes(target + "photo.jpg", "taken"));
    for (int n = 1; n < 30; ++n)
        ASSERT_TRUE(
            WriteBytes(target + QString("photo[%1].jpg").arg(n), "taken " + QByteArray::number(n)));
    // A link that points nowhere takes its name too: nothing may appear where it points.
    ASSERT_TRUE(QFile::link(target + "elsewhere.jpg", target + "photo[30].jpg"));
    const QString source = Source("photo.jpg", "new picture");
    FileReads reads(Native(source));
    ASSERT_TRUE(reads.Watching());
    prompter.clashChoices = {ClashChoice::AutoRename};
    Drop({source});

    EXPECT_EQ(reads.Count(), 1);
    EXPECT_EQ(ReadBytes(target + "photo[31].jpg"), "new picture");
    EXPECT_EQ(ReadBytes(target + "photo.jpg"), "taken");
    for (int n = 1; n < 30; ++n)
        EXPECT_EQ(ReadBytes(target + QString("photo[%1].jpg").arg(n)),
                  "taken " + QByteArray::number(n));
    EXPECT_FALSE(QFileInfo::exists(target + "elsewhere.jpg"));
    EXPECT_EQ(EntriesOf(target).size(), 32);
    EXPECT_EQ(QFileInfo(target + "photo[31].jpg").lastModified(), clock.now);
    EXPECT_EQ(display.outcome, "に改名し保存しました。");
    const auto rows = LogRows(LogPath());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "photo[31].jpg");
}

// The source is read inside the copy runner alone (where the window keeps
// painting), whichever way the name is settled.
TEST_F(CapturePipelineTest, TheCopyIsMadeInsideTheCopyRunner) {
    std::unique_ptr<FileReads> reads;
    int readsInside = 0;
    CapturePipeline runnerPipeline({home, prompter, browser, clock, display, history, destination,
                                    [&](const std::function<void()>& work) {
                                        const int before = reads->Count();
                                        work();
                                        readsInside += reads->Count() - before;
                                    }});
    const auto capture = [&](const QString& name) {
        const QString source = Source(name, "bytes of " + name.toUtf8());
        reads = std::make_unique<FileReads>(Native(source));
        readsInside = 0;
        runnerPipeline.HandleDroppedFiles(PayloadOf(source));
        return reads->Count();
    };
    EXPECT_EQ(capture("free.jpg"), 1);
    EXPECT_EQ(readsInside, 1);
    prompter.clashChoices = {ClashChoice::AutoRename, ClashChoice::ManualRename};
    EXPECT_EQ(capture("free.jpg"), 1);
    EXPECT_EQ(readsInside, 1);
    prompter.saveAsAnswer = target + "chosen.jpg";
    EXPECT_EQ(capture("free.jpg"), 1);
    EXPECT_EQ(readsInside, 1);
    EXPECT_EQ(ReadBytes(target + "free[1].jpg"), "bytes of free.jpg");
    EXPECT_EQ(ReadBytes(target + "chosen.jpg"), "bytes of free.jpg");
    EXPECT_EQ(runnerPipeline.CaptureCount(), 3);
}

// Once made, the copy needs no runner (a thread and a wait, in the window)
// for the later names it is offered.
TEST_F(CapturePipelineTest, TheCopyRunnerRunsOnceHoweverManyNamesAreTried) {
    int runs = 0;
    CapturePipeline runnerPipeline({home, prompter, browser, clock, display, history, destination,
                                    [&](const std::function<void()>& work) {
                                        // free[1].jpg is taken while the copy is made.
                                        if (runs++ == 0) {
                                            ASSERT_TRUE(WriteBytes(target + "free[1].jpg", "x"));
                                        }
                                        work();
                                    }});
    ASSERT_TRUE(WriteBytes(target + "free.jpg", "old"));
    prompter.clashChoices = {ClashChoice::AutoRename};
    runnerPipeline.HandleDroppedFiles(PayloadOf(Source("free.jpg", "new")));
    EXPECT_EQ(ReadBytes(target + "free[1].jpg"), "x");
    EXPECT_EQ(ReadBytes(target + "free[2].jpg"), "new");
    EXPECT_EQ(runs, 1);
}

TEST_F(CapturePipelineTest, ManualRenameReplacesOrRenamesAsChosen) {
    ASSERT_TRUE(WriteBytes(target + "photo.jpg", "old"));
    QFile::setPermissions(target + "photo.jpg", QFile::ReadOwner | QFile::WriteOwner);
    prompter.clashChoices = {ClashChoice::ManualRename, ClashChoice::ManualRename};
    prompter.saveAsAnswer = target + "photo.jpg";
    const QString replacement = Source("photo.jpg", "replacement");
    FileReads replacementReads(Native(replacement));
    Drop({replacement});
    EXPECT_EQ(ReadBytes(target + "photo.jpg"), "replacement");
    EXPECT_EQ(display.outcome, "を上書き保存しました。");
    EXPECT_EQ(prompter.saveAsAsked, QStringList{target + "photo.jpg"});
    EXPECT_EQ(replacementReads.Count(), 1);
    EXPECT_EQ(QFile::permissions(target + "photo.jpg"),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser)
        << "the replaced file's permissions stay";
    EXPECT_EQ(QFileInfo(target + "photo.jpg").lastModified(), clock.now);

    const QString elsewhere = temp.path() + "/other/";
    QDir().mkpath(elsewhere);
    prompter.saveAsAnswer = elsewhere + "renamed.jpg";
    const QString moved = Source("photo.jpg", "moved");
    FileReads movedReads(Native(moved));
    Drop({moved});
    EXPECT_EQ(ReadBytes(elsewhere + "renamed.jpg"), "moved");
    EXPECT_EQ(display.outcome, "に改名し保存しました。");
    EXPECT_EQ(display.savedName, "renamed.jpg");
    EXPECT_EQ(pipeline->CaptureCount(), 2);
    EXPECT_EQ(movedReads.Count(), 1);
    EXPECT_EQ(QFileInfo(elsewhere + "renamed.jpg").lastModified(), clock.now);
    EXPECT_EQ(EntriesOf(target), QStringList{"photo.jpg"});
    EXPECT_EQ(EntriesOf(elsewhere), QStringList{"renamed.jpg"});
}

TEST_F(CapturePipelineTest, ManualRenameIntoAMissingFolderIsReportedNotCounted) {
    ASSERT_TRUE(WriteBytes(target + "photo.jpg", "old"));
    prompter.clashChoices = {ClashChoice::ManualRename};
    prompter.saveAsAnswer = temp.path() + "/nowhere/photo.jpg";
    Drop({Source("photo.jpg")});
    EXPECT_EQ(prompter.notices.size(), 1);
    EXPECT_EQ(pipeline->CaptureCount(), 0);
    EXPECT_FALSE(display.events.contains("preview " + *prompter.saveAsAnswer));
}

TEST_F(CapturePipelineTest, DontSaveAndACancelledSaveDialogSaveNothing) {
    ASSERT_TRUE(WriteBytes(target + "photo.jpg", "old"));
    prompter.clashChoices = {ClashChoice::DontSave, ClashChoice::ManualRename};
    prompter.saveAsAnswer = std::nullopt;
    const QString source = Source("photo.jpg", "new");
    FileReads reads(Native(source));
    Drop({source, source});
    EXPECT_EQ(ReadBytes(target + "photo.jpg"), "old");
    EXPECT_EQ(EntriesOf(target), QStringList{"photo.jpg"});
    EXPECT_EQ(reads.Count(), 0) << "a name plainly taken is not copied for nothing";
    EXPECT_EQ(pipeline->CaptureCount(), 0);
    EXPECT_EQ(display.events.count("topmost"), 2);
}

TEST_F(CapturePipelineTest, ADropDuringADialogWaitsItsTurn) {
    ASSERT_TRUE(WriteBytes(target + "photo.jpg", "old"));
    // A second drop arrives while the clash dialog of the first is open.
    struct ReentrantPrompter : ScriptedPrompter {
        std::function<void()> duringDialog;
        ClashChoice ChooseClash(const ClashFiles& files) override {
            if (duringDialog)
                std::exchange(duringDialog, nullptr)();
            return ScriptedPrompter::ChooseClash(files);
        }
    } reentrant;
    reentrant.clashChoices = {ClashChoice::AutoRename};
    CapturePipeline queued({home, reentrant, browser, clock, display, history, destination});
    QStringList order;
    queued.SetOutcomeListener([&](const DroppedFile& file, const CaptureOutcome&) {
        order << QFileInfo(file.path).fileName();
    });
    const QString second = Source("second.jpg");
    reentrant.duringDialog = [&] { queued.HandleDroppedFiles(PayloadOf(second)); };
    queued.HandleDroppedFiles(PayloadOf(Source("photo.jpg")));
    EXPECT_EQ(order, (QStringList{"photo.jpg", "second.jpg"}));
    EXPECT_TRUE(QFileInfo::exists(target + "photo[1].jpg"));
    EXPECT_TRUE(QFileInfo::exists(target + "second.jpg"));
    EXPECT_EQ(display.events.count("hover on"), 1);
}

TEST_F(CapturePipelineTest, ADropWithNothingToSaveGetsANotice) {
    pipeline->HandleDroppedFiles({});
    EXPECT_EQ(prompter.notices.size(), 1);
    EXPECT_EQ(pipeline->CaptureCount(), 0);
}

TEST_F(CapturePipelineTest, LongPathsAreTakenWhole) {
    const QString deep = QString("d").repeated(120) + "/" + QString("e").repeated(120) + "/";
    const QString name = QString("n").repeated(100) + ".jpg";
    const QString path = Source(deep + name);
    ASSERT_GT(path.size(), 300);
    Drop({path});
    EXPECT_TRUE(QFileInfo::exists(target + name));
}

} // namespace
} // namespace kelvo
