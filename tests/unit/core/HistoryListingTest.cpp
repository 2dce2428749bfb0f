#include "history/DayListing.h"
#include "history/HistoryListModel.h"
#include "history/LineCommands.h"
#include "history/TextCompare.h"
#include "logs/CaptureLog.h"
#include "logs/DayLog.h"
#include "logs/DayTexts.h"
#include "support/CapturedHome.h"
#include "support/EventLoop.h"
#include "support/Files.h"
#include "support/Logs.h"
#include "support/Times.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::At;
using testing::CapturedHome;

QStringList Column(const HistoryListModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.LineCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

// The listing runs its batches from the event loop.
void EnsureApplication() {
    testing::EnsureCoreApplication();
}

// What a listing reported, in order.
struct ListingSignals {
    explicit ListingSignals(DayListing& listing) {
        QObject::connect(&listing, &DayListing::Progress, [this](int n) { progress << n; });
        QObject::connect(&listing, &DayListing::Finished, [this](int n) { finished << n; });
    }
    QList<int> progress;
    QList<int> finished;
};

// Runs queued batches until the listing stops.
void RunUntilListed(const DayListing& listing) {
    for (int turn = 0; turn < 1000 && listing.Running(); ++turn)
        QCoreApplication::processEvents();
}

TEST(TextCompareTest, CompareTextFoldsOnlyAsciiLettersAndPutsPrefixesFirst) {
    EXPECT_EQ(CompareText("A.jpg", "a.jpg"), 0);
    EXPECT_LT(CompareText("a.jpg", "b.jpg"), 0);
    EXPECT_LT(CompareText("A.jpg", "b.jpg"), 0);
    EXPECT_GT(CompareText("B.jpg", "a.jpg"), 0);
    EXPECT_LT(CompareText("photo", "photo1"), 0);
    // "_" (0x5F) lies between "Z" and "a": folding to upper case puts it after letters.
    EXPECT_GT(CompareText("_x", "ax"), 0);
    // Bytes above 0x7F compare by value, never folded.
    EXPECT_GT(CompareText("\xE5\xA3\x81", "z"), 0);
}

TEST(TextCompareTest, CompareStrIsByteOrderWithCase) {
    EXPECT_LT(CompareStr("A.jpg", "a.jpg"), 0);
    EXPECT_LT(CompareStr("2006/03/15 09:00:00", "2006/03/15 10:00:00"), 0);
    EXPECT_LT(CompareStr("", "a"), 0);
    EXPECT_EQ(CompareStr("same", "same"), 0);
}

TEST(DayTextsTest, ADayTextNamesItsLogItsMonthAndItsCaption) {
    const QDateTime at = At(2006, 3, 15, 12, 34, 56);
    EXPECT_EQ(DayLogPath("/h/", DayText(at)), DailyLogPath("/h/", at));
    EXPECT_EQ(DayLogPath("/h/", "20060315"), "/h/Logs/2006年03月/20060315.txt");
    EXPECT_EQ(DayCaption("20060315"), "2006年03月15日");
    EXPECT_EQ(ListingProgressText(3), "列挙中...3");
    EXPECT_EQ(ListingCountText(0), "0 個の履歴情報");
}

TEST(LineCommandsTest, NavigationFollowsThePositionAndTheFileAndAddressTheRest) {
    const LineCommands first = LineCommandsFor(0, 3, true, true);
    EXPECT_FALSE(first.first || first.previous);
    EXPECT_TRUE(first.next && first.last && first.open && first.address && first.folder);
    const LineCommands last = LineCommandsFor(2, 3, false, false);
    EXPECT_TRUE(last.first && last.previous);
    EXPECT_FALSE(last.next || last.last || last.open || last.address || last.file);
    EXPECT_TRUE(last.folder); // the folder can still be opened
    const LineCommands only = LineCommandsFor(0, 1, true, true);
    EXPECT_FALSE(only.first || only.previous || only.next || only.last);
    const LineCommands none = LineCommandsFor(-1, 3, true, true);
    EXPECT_FALSE(none.folder || none.open || none.address);
}

TEST(LineCommandsTest, TheFolderToOpenEndsAtTheLastSeparator) {
    EXPECT_EQ(FolderToOpen("/home/taro/pictures/"), "/home/taro/pictures/");
    EXPECT_EQ(FolderToOpen("/home/taro/pictures"), "/home/taro/");
    EXPECT_EQ(FolderToOpen("C:\\画像\\"), "C:\\画像\\");
}

class HistoryListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        ASSERT_TRUE(temp.isValid());
    }

    QTemporaryDir temp;
    CapturedHome captured{temp.path()};
};

TEST_F(HistoryListingTest, ListsADayInLogOrderWithItsFiveColumns) {
    captured.Capture("b.jpg", At(2006, 3, 15, 12, 0, 0), "https://example.com/b");
    captured.Capture("a.png", At(2006, 3, 15, 9, 30, 5));
    captured.Capture("other.gif", At(2006, 3, 16, 8, 0, 0));
    HistoryListModel model;
    DayListing listing(captured.home, model);
    ListingSignals reported(listing);
    listing.ListDay("20060315");
    // A small day is complete at once.
    EXPECT_FALSE(listing.Running());
    EXPECT_EQ(reported.finished, QList<int>({2}));
    EXPECT_EQ(Column(model, FileNameColumn), QStringList({"b.jpg", "a.png"}));
    const HistoryLine line = model.Line(0);
    EXPECT_EQ(line.captureTime, "2006/03/15 12:00:00");
    EXPECT_EQ(line.identifier, "壁紙");
    EXPECT_EQ(line.address, "https://example.com/b");
    EXPECT_EQ(line.folder, captured.pictures);
    EXPECT_EQ(line.Path(), captured.pictures + "b.jpg");
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "取得元アドレス");

    listing.ListDay("20060101"); // no log
    EXPECT_EQ(model.LineCount(), 0);
    EXPECT_EQ(reported.finished, QList<int>({2, 0}));
}

TEST_F(HistoryListingTest, ALogWithoutAColumnListsTheOthersAndEmptyCells) {
    ASSERT_TRUE(
        testing::WriteBytesMakingFolders(captured.home + "Logs/2006年03月/20060315.txt",
                                         "\"ファイル名\";\"取得日時\";\"保存先フォルダ\"\r\n"
                                         "\"a.jpg\";\"2006/03/15 10:00:00\";\"/pics/\"\r\n"
                                         "\"b.jpg\";;\"/pics/\"\r\n"));
    const DayLog log = DayLog::Read(DayLogPath(captured.home, "20060315"));
    ASSERT_EQ(log.RowCount(), 2);
    EXPECT_EQ(log.Cell(0, FileNameColumn), "a.jpg");
    EXPECT_EQ(log.Cell(0, IdentifierColumn), "");
    EXPECT_EQ(log.Cell(0, AddressColumn), "");
    EXPECT_EQ(log.Cell(0, FolderColumn), "/pics/");
    EXPECT_EQ(log.Cell(1, CaptureTimeColumn), "");
    EXPECT_EQ(log.Cell(5, FileNameColumn), "");
}

TEST_F(HistoryListingTest, AShiftJisLogOfTheOldProgramListsDecoded) {
    // 壁紙 (95 C7 8E 86) and the folder C:\画像\ (89 E6 91 9C) in Shift-JIS.
    ASSERT_TRUE(testing::WriteShiftJisLog(
        captured.home + "Logs/2006年03月/20060315.txt",
        "\"\x89\xE6\x91\x9C.jpg\";\"2006/03/15 10:00:00\";\"\x95\xC7\x8E\x86\";"
        "\"http://example.jp/\";\"C:\\\x89\xE6\x91\x9C\\\"\r\n"));
    const DayLog log = DayLog::Read(DayLogPath(captured.home, "20060315"));
    ASSERT_EQ(log.RowCount(), 1);
    EXPECT_EQ(log.Cell(0, FileNameColumn), "画像.jpg");
    EXPECT_EQ(log.Cell(0, IdentifierColumn), "壁紙");
    EXPECT_EQ(log.Cell(0, AddressColumn), "http://example.jp/");
    EXPECT_EQ(log.Cell(0, FolderColumn), "C:\\画像\\");
}

TEST_F(HistoryListingTest, SortingUsesOneDirectionAndKeepsTheSelectedLine) {
    captured.Capture("b.jpg", At(2006, 3, 15, 12, 0, 0));
    captured.Capture("A.jpg", At(2006, 3, 15, 9, 0, 0));
    captured.Capture("a.jpg", At(2006, 3, 15, 10, 0, 0));
    HistoryListModel model;
    DayListing listing(captured.home, model);
    listing.ListDay("20060315");
    const QPersistentModelIndex selected = model.index(0, 0); // b.jpg

    model.Sort(CaptureTimeColumn, false);
    EXPECT_EQ(Column(model, FileNameColumn), QStringList({"A.jpg", "a.jpg", "b.jpg"}));
    model.Sort(CaptureTimeColumn, true);
    EXPECT_EQ(Column(model, FileNameColumn), QStringList({"b.jpg", "a.jpg", "A.jpg"}));
    EXPECT_EQ(selected.row(), 0);
    model.Sort(FileNameColumn, false);
    // A.jpg and a.jpg are equal by CompareText: both before b.jpg.
    EXPECT_EQ(Column(model, FileNameColumn).last(), "b.jpg");
    EXPECT_EQ(selected.row(), 2);
    EXPECT_EQ(selected.data().toString(), "b.jpg");
}

TEST_F(HistoryListingTest, ALargeDayListsInBatchesWithARunningCount) {
    for (int i = 0; i < 5; ++i)
        captured.Capture(QString("p%1.jpg").arg(i), At(2006, 3, 15, 10, 0, i));
    HistoryListModel model;
    DayListing listing(captured.home, model);
    listing.SetBatchSize(2);
    listing.SetTurnTime(0);
    ListingSignals reported(listing);
    listing.ListDay("20060315");
    EXPECT_TRUE(listing.Running());
    EXPECT_EQ(model.LineCount(), 2);
    RunUntilListed(listing);
    EXPECT_EQ(model.LineCount(), 5);
    EXPECT_EQ(reported.progress, QList<int>({2, 4}));
    EXPECT_EQ(reported.finished, QList<int>({5}));
}

TEST_F(HistoryListingTest, AnotherDayCancelsARunningListingAndRowsNeverMix) {
    for (int i = 0; i < 7; ++i)
        captured.Capture(QString("big%1.jpg").arg(i), At(2006, 3, 15, 10, 0, i));
    for (int i = 0; i < 3; ++i)
        captured.Capture(QString("small%1.jpg").arg(i), At(2006, 3, 16, 10, 0, i));
    HistoryListModel model;
    DayListing listing(captured.home, model);
    listing.SetBatchSize(2);
    listing.SetTurnTime(0);
    ListingSignals reported(listing);
    listing.ListDay("20060315");
    QCoreApplication::processEvents(); // one more batch of the big day
    ASSERT_TRUE(listing.Running());
    listing.ListDay("20060316");
    RunUntilListed(listing);
    for (int turn = 0; turn < 10; ++turn) // stale batches, if any were left, would run now
        QCoreApplication::processEvents();
    EXPECT_EQ(Column(model, FileNameColumn),
              QStringList({"small0.jpg", "small1.jpg", "small2.jpg"}));
    EXPECT_EQ(reported.finished, QList<int>({3}));

    listing.ListDay("20060315");
    listing.Clear();
    for (int turn = 0; turn < 10; ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(model.LineCount(), 0);
    EXPECT_EQ(reported.finished, QList<int>({3}));

    listing.ListDay("20060315");
    listing.Finish();
    EXPECT_FALSE(listing.Running());
    EXPECT_EQ(model.LineCount(), 7);
}

} // namespace
} // namespace kelvo
