#include "history/HistoryActions.h"
#include "capture/BrowserLink.h"
#include "collection/CollectionIndex.h"
#include "history/DayListing.h"
#include "history/HistoryListModel.h"
#include "history/IndexSync.h"
#include "history/SearchRunner.h"
#include "support/CapturedHome.h"
#include "support/EventLoop.h"
#include "support/Logs.h"
#include "support/PictureHashes.h"
#include "support/Times.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::At;
using testing::LogColumn;
using testing::LogRow;

// A list selection as the window keeps it: every change reports back.
class RecordingView : public HistoryView {
public:
    void ShowCaption(const QString& text) override { caption = text; }
    void ShowDayStatus(const QString& text) override { dayStatus = text; }
    void ShowListStatus(const QString& text) override { listStatus = text; }
    void ShowPreview(const QString& path) override { preview = path; }
    void ClearPreview() override { preview.clear(); }
    void EnableRefresh(bool enabled) override { refresh = enabled; }
    void ShowSortOrder(int column, bool descending) override {
        sortColumn = column;
        sortDescending = descending;
    }
    void EnableLineCommands(const LineCommands& enabled) override { commands = enabled; }
    void ShowLineEntries(bool shown) override { entriesShown = shown; }
    int SelectedLine() const override { return selected; }
    void SelectLine(int row) override {
        if (selected >= 0)
            actions->LineDeselected();
        selected = row;
        actions->LineSelected(row);
    }
    void ClearSelection() override {
        if (selected < 0)
            return;
        selected = -1;
        actions->LineDeselected();
    }
    void CopyText(const QString& text) override { copied << text; }
    void CopyPicture(const QString& path) override { copied << "picture " + path; }
    void OpenFolder(const QString& folder) override { opened << "folder " + folder; }
    void OpenViewer(const QString& path, const QString& address) override {
        opened << "viewer " + path + " " + address;
    }
    void ClearSearchText() override { searchCleared = true; }
    int ScrollPosition() const override { return scroll; }
    void ScrollTo(int position) override { scroll = position; }

    HistoryActions* actions = nullptr;
    QString caption, dayStatus, listStatus, preview;
    bool refresh = false;
    int sortColumn = -2; // never told
    bool sortDescending = false;
    LineCommands commands;
    bool entriesShown = true;
    int selected = -1;
    bool searchCleared = false;
    int scroll = 0;
    QStringList copied, opened;
};

class HistoryActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        captured.Capture("b.jpg", day, "https://example.com/b");
        captured.Capture("a.jpg", day.addSecs(60));
        captured.Capture("c.jpg", day.addSecs(120), "https://example.com/c");
        view.actions = &actions;
        // As a list view's selection: a model that starts over drops it unsaid.
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { view.selected = -1; });
    }

    QStringList LogColumnOfList() const {
        QStringList names;
        for (int row = 0; row < model.LineCount(); ++row)
            names << model.Line(row).fileName;
        return names;
    }

    // Indexes the home's captures, with every picture alike but unlike's.
    void IndexPictures(const QString& unlike = {}) {
        const auto index = CollectionIndex::Open(captured.home, CollectionIndex::Access::ReadWrite);
        ASSERT_TRUE(index);
        IndexSync(*index, captured.home,
                  [unlike](const QString& path) -> std::optional<PictureHash> {
                      const bool alike = unlike.isEmpty() || !path.endsWith(unlike);
                      return testing::Hash(alike ? 1 : ~0ull);
                  })
            .SyncAll();
    }

    QTemporaryDir temp;
    testing::CapturedHome captured{temp.path()};
    const QDateTime day = At(2006, 3, 15, 12, 0, 0);
    HistoryListModel model;
    RecordingView view;
    HistoryActions actions{captured.home, model, view, captured.browser, captured.prompter};
};

TEST_F(HistoryActionsTest, ADayIsListedAndAMonthEmptiesTheList) {
    actions.ListNode(1, "20060315");
    EXPECT_EQ(view.dayStatus, "2006年03月15日");
    EXPECT_EQ(view.listStatus, "3 個の履歴情報");
    EXPECT_TRUE(view.refresh);
    EXPECT_EQ(model.LineCount(), 3);
    view.SelectLine(1);
    actions.ListNode(0, "2006年03月");
    EXPECT_EQ(view.selected, -1);
    EXPECT_FALSE(actions.HasSelectedLine());
    EXPECT_EQ(model.LineCount(), 0);
    EXPECT_EQ(view.dayStatus, "");
    EXPECT_EQ(view.listStatus, "");
    EXPECT_FALSE(view.refresh);
    EXPECT_EQ(view.caption, "履歴と画像閲覧 - ケルボ");
}

// A preview decodes while the user goes on: its failure is told only for the
// line still selected.
TEST_F(HistoryActionsTest, APreviewFailureIsToldOnlyForTheSelectedLine) {
    actions.ListNode(1, "20060315");
    view.SelectLine(0);
    actions.PreviewFailed(captured.pictures + "b.jpg", "画像を読み込めません（壊れています）");
    EXPECT_EQ(view.listStatus, "画像を読み込めません（壊れています）");
    view.SelectLine(2);
    const QString status = view.listStatus;
    actions.PreviewFailed(captured.pictures + "b.jpg", "古い結果");
    EXPECT_EQ(view.listStatus, status);
    view.ClearSelection();
    actions.PreviewFailed(captured.pictures + "c.jpg", "選択なし");
    EXPECT_NE(view.listStatus, "選択なし");
}

// The heading shows the order the list is in, which turns at every click,
// whatever was listed in between.
TEST_F(HistoryActionsTest, TheSortedHeadingAndItsDirectionAreShown) {
    actions.ListNode(1, "20060315");
    EXPECT_EQ(view.sortColumn, -1);
    actions.SortByColumn(0);
    EXPECT_EQ(view.sortColumn, 0);
    EXPECT_FALSE(view.sortDescending);
    EXPECT_EQ(model.Line(0).fileName, "a.jpg");
    actions.SortByColumn(0);
    EXPECT_TRUE(view.sortDescending);
    EXPECT_EQ(model.Line(0).fileName, "c.jpg");
    actions.SortByColumn(4);
    EXPECT_EQ(view.sortColumn, 4);
    EXPECT_FALSE(view.sortDescending);
    // Listed again, the lines come in the log's order, under no mark.
    actions.ListNode(1, "20060315");
    EXPECT_EQ(view.sortColumn, -1);
    EXPECT_EQ(model.Line(0).fileName, "b.jpg");
    actions.SortByColumn(0);
    EXPECT_TRUE(view.sortDescending);
    EXPECT_EQ(model.Line(0).fileName, "c.jpg");
}

TEST_F(HistoryActionsTest, ASelectedLineShowsItsPathPreviewAndCommandsUntilDeselected) {
    actions.ListNode(1, "20060315");
    view.SelectLine(0);
    EXPECT_TRUE(actions.HasSelectedLine());
    EXPECT_EQ(view.caption, captured.pictures + "b.jpg");
    EXPECT_EQ(view.preview, captured.pictures + "b.jpg");
    EXPECT_TRUE(view.entriesShown);
    EXPECT_TRUE(view.commands.open && view.commands.address && view.commands.next);

    view.ClearSelection();
    EXPECT_FALSE(actions.HasSelectedLine());
    EXPECT_EQ(view.caption, "履歴と画像閲覧 - ケルボ");
    EXPECT_EQ(view.listStatus, "3 個の履歴情報");
    EXPECT_FALSE(view.entriesShown);
    EXPECT_FALSE(view.commands.folder || view.commands.first || view.commands.open);
    EXPECT_TRUE(view.preview.isEmpty());
}

TEST_F(HistoryActionsTest, MovingFromLineToLineStopsAtTheEnds) {
    actions.ListNode(1, "20060315");
    view.SelectLine(0);
    actions.PreviousLine();
    EXPECT_EQ(view.selected, 0);
    actions.LastLine();
    EXPECT_EQ(view.selected, 2);
    actions.NextLine();
    EXPECT_EQ(view.selected, 2);
    EXPECT_FALSE(view.commands.next || view.commands.last);
    actions.PreviousLine();
    EXPECT_EQ(view.selected, 1);
    actions.FirstLine();
    EXPECT_EQ(view.selected, 0);
}

TEST_F(HistoryActionsTest, ALineWithoutAnAddressOpensNoBrowser) {
    actions.ListNode(1, "20060315");
    view.SelectLine(1); // a.jpg
    EXPECT_FALSE(view.commands.address);
    actions.OpenAddressInBrowser();
    actions.OpenAddressInNewBrowser();
    EXPECT_TRUE(captured.browser.opened.isEmpty());
    EXPECT_TRUE(captured.prompter.notices.isEmpty());
}

TEST_F(HistoryActionsTest, CommandsActOnTheSelectedLine) {
    actions.ListNode(1, "20060315");
    view.SelectLine(2);
    actions.OpenViewer();
    actions.OpenFolder();
    actions.CopyAddress();
    actions.OpenAddressInBrowser();
    actions.OpenAddressInNewBrowser();
    actions.CopyPicture();
    EXPECT_EQ(view.opened,
              QStringList({"viewer " + captured.pictures + "c.jpg https://example.com/c",
                           "folder " + captured.pictures}));
    EXPECT_EQ(view.copied,
              QStringList({"https://example.com/c", "picture " + captured.pictures + "c.jpg"}));
    EXPECT_EQ(captured.browser.opened,
              QStringList({"https://example.com/c", "https://example.com/c"}));
}

// A log is a plain file: what it names is opened only when it is a web page.
TEST_F(HistoryActionsTest, OnlyWebAddressesAreOpened) {
    const QDateTime later = day.addDays(1);
    for (const char* address : {"file:///etc/passwd", "javascript:alert(1)", "x-scheme:run"})
        captured.Capture(QString("%1.jpg").arg(qHash(QString(address))), later, address);
    actions.ListNode(1, "20060316");
    for (int line = 0; line < 3; ++line) {
        view.SelectLine(line);
        actions.OpenAddressInBrowser();
        actions.OpenAddressInNewBrowser();
    }
    EXPECT_TRUE(captured.browser.opened.isEmpty())
        << captured.browser.opened.join(" ").toStdString();
    EXPECT_EQ(captured.prompter.notices.size(), 6);
}

TEST_F(HistoryActionsTest, AMissingFileIsToldAndNotOpened) {
    QFile::remove(captured.pictures + "a.jpg");
    actions.ListNode(1, "20060315");
    view.SelectLine(1);
    EXPECT_EQ(view.listStatus, "保存先フォルダに選択ファイルが存在しません。");
    EXPECT_EQ(view.caption, captured.pictures + "a.jpg");
    EXPECT_FALSE(view.commands.open || view.commands.file);
    EXPECT_TRUE(view.commands.folder);
    actions.OpenViewer();
    actions.OpenViewerFromPreview();
    actions.RenameFile();
    EXPECT_TRUE(view.opened.isEmpty());
    EXPECT_TRUE(captured.prompter.textsAsked.isEmpty());
}

TEST_F(HistoryActionsTest, ARenameListsTheDayAgainWithTheRenamedLineSelected) {
    actions.ListNode(1, "20060315");
    view.SelectLine(2);
    captured.prompter.textAnswer = std::nullopt; // cancelled
    actions.RenameFile();
    EXPECT_TRUE(QFile::exists(captured.pictures + "c.jpg"));

    captured.prompter.textAnswer = "b.jpg"; // taken
    actions.RenameFile();
    ASSERT_EQ(captured.prompter.notices.size(), 1);
    EXPECT_TRUE(captured.prompter.notices[0].contains("b.jpg"));

    captured.prompter.textAnswer = "sky.jpg";
    actions.RenameFile();
    EXPECT_TRUE(QFile::exists(captured.pictures + "sky.jpg"));
    EXPECT_EQ(model.Line(2).fileName, "sky.jpg");
    EXPECT_EQ(view.selected, 2);
    EXPECT_EQ(view.caption, captured.pictures + "sky.jpg");
    EXPECT_EQ(captured.prompter.notices.size(), 1);
}

// A capture while the day is listed: the list reads its log again in place.
TEST_F(HistoryActionsTest, AListingReadAgainKeepsItsSortSelectionAndScroll) {
    actions.ListNode(1, "20060315");
    actions.SortByColumn(0);
    actions.SortByColumn(0); // by name, descending: c, b, a
    view.SelectLine(1);
    view.scroll = 7;
    captured.Capture("bb.jpg", day.addSecs(180));
    actions.RefreshListing();
    EXPECT_EQ(LogColumnOfList(), QStringList({"c.jpg", "bb.jpg", "b.jpg", "a.jpg"}));
    EXPECT_EQ(view.selected, 2);
    EXPECT_EQ(view.preview, captured.pictures + "b.jpg");
    EXPECT_EQ(view.sortColumn, 0);
    EXPECT_EQ(view.scroll, 7);
}

// Searches of the whole history, with the event loop turning until each ends.
class HistorySearchActionsTest : public HistoryActionsTest {
protected:
    void SetUp() override {
        HistoryActionsTest::SetUp();
        captured.Capture("sky_old.jpg", day.addDays(-40), "https://photos.example.org/sky");
        captured.Capture("sea.jpg", day.addDays(2), "https://example.net/ＳＥＡ");
        captured.Capture("sky_new.jpg", day.addDays(2).addSecs(60), "https://example.net/sky");
    }

    void Search(const QString& typed) {
        actions.SearchTyped(typed);
        ASSERT_TRUE(testing::RunEventsUntil([&] { return !actions.Search().Running(); }));
    }

    QStringList Lines() const {
        QStringList lines;
        for (int row = 0; row < model.LineCount(); ++row)
            lines << model.LineDay(row) + " " + model.Line(row).fileName;
        return lines;
    }
};

TEST_F(HistorySearchActionsTest,
       WordsFindLinesOfEveryDayNewestFirstAndAnEmptyTextListsTheDayAgain) {
    actions.ListNode(1, "20060315");
    Search("SKY");
    EXPECT_EQ(Lines(), QStringList({"20060317 sky_new.jpg", "20060203 sky_old.jpg"}));
    EXPECT_EQ(view.listStatus, "2 個の履歴情報 (2 日分)");
    EXPECT_EQ(view.dayStatus, "全期間を検索");
    EXPECT_TRUE(view.refresh);
    EXPECT_EQ(model.columnCount(), 6);

    Search("example sea"); // both words, the second written full-width in the log
    EXPECT_EQ(Lines(), QStringList({"20060317 sea.jpg"}));
    view.SelectLine(0);
    EXPECT_EQ(view.dayStatus, "2006年03月17日");
    EXPECT_EQ(view.preview, captured.pictures + "sea.jpg");
    EXPECT_TRUE(view.commands.open && view.commands.file && view.commands.address);

    Search("nothing-like-this");
    EXPECT_EQ(model.LineCount(), 0);
    EXPECT_EQ(view.listStatus, "0 個の履歴情報 (0 日分)");

    actions.SearchTyped("  ");
    EXPECT_FALSE(actions.ShowsSearch());
    EXPECT_EQ(model.columnCount(), 5);
    EXPECT_EQ(LogColumnOfList(), QStringList({"b.jpg", "a.jpg", "c.jpg"}));
    EXPECT_EQ(view.dayStatus, "2006年03月15日");
    EXPECT_EQ(view.listStatus, "3 個の履歴情報");
}

// Typing on replaces the running search: only the last one's lines are listed.
TEST_F(HistorySearchActionsTest, ANewerSearchNeverShowsTheLinesOfAnOlderOne) {
    for (int extra = 0; extra < 20; ++extra)
        captured.Capture(QString("sky_%1.jpg").arg(extra), day.addDays(-extra - 1));
    actions.SearchTyped("sky");
    Search("sea");
    EXPECT_EQ(Lines(), QStringList({"20060317 sea.jpg"}));
    testing::RunEventsUntil([] { return false; }, 50); // nothing late arrives
    EXPECT_EQ(Lines(), QStringList({"20060317 sea.jpg"}));
}

TEST_F(HistorySearchActionsTest, ASearchsLinesStayWhenTheListedDayIsReadAgain) {
    actions.ListNode(1, "20060315");
    Search("sky");
    captured.Capture("sky_late.jpg", day.addSecs(600));
    actions.RefreshListing();
    EXPECT_EQ(Lines(), QStringList({"20060317 sky_new.jpg", "20060203 sky_old.jpg"}));
}

TEST_F(HistorySearchActionsTest, ARenameOnAFoundLineRewritesTheLogOfItsOwnDay) {
    Search("sky");
    view.SelectLine(1); // sky_old.jpg, 40 days back
    captured.prompter.textAnswer = "cloud.jpg";
    actions.RenameFile();
    EXPECT_TRUE(QFile::exists(captured.pictures + "cloud.jpg"));
    EXPECT_EQ(LogColumn(captured.LogOf(day.addDays(-40)), &LogRow::name),
              QStringList({"cloud.jpg"}));
    EXPECT_EQ(LogColumn(captured.LogOf(day.addDays(2)), &LogRow::name),
              QStringList({"sea.jpg", "sky_new.jpg"}));
    EXPECT_EQ(model.Line(1).fileName, "cloud.jpg");
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(view.caption, captured.pictures + "cloud.jpg");
}

TEST_F(HistorySearchActionsTest, ADroppedFileSelectsTheLineThatSavedIt) {
    actions.ListNode(1, "20060315");
    actions.FindSavedFiles({captured.pictures + "sea.jpg"});
    ASSERT_TRUE(testing::RunEventsUntil([&] { return !actions.Search().Running(); }));
    EXPECT_TRUE(view.searchCleared);
    EXPECT_EQ(Lines(), QStringList({"20060317 sea.jpg"}));
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(view.caption, captured.pictures + "sea.jpg");

    // A file of the same name elsewhere was never captured.
    QDir().mkpath(captured.sources + "other");
    testing::WriteBytes(captured.sources + "other/sea.jpg", "x");
    actions.FindSavedFiles({captured.sources + "other/sea.jpg"});
    ASSERT_TRUE(testing::RunEventsUntil([&] { return !actions.Search().Running(); }));
    EXPECT_EQ(model.LineCount(), 0);
    EXPECT_EQ(view.listStatus, "ドロップしたファイルの取得履歴はありません。");

    // Choosing a day ends the search.
    actions.ListNode(1, "20060315");
    EXPECT_FALSE(actions.ShowsSearch());
    EXPECT_EQ(model.LineCount(), 3);
}

// By the index: every capture of the same bytes, then the similar ones, and
// a dropped file that has moved since its capture.
TEST_F(HistoryActionsTest, TheSameAndSimilarPicturesAndAMovedFileAreFoundByTheIndex) {
    captured.Capture("again.jpg", day.addDays(1), {}, "picture bytes");
    captured.Capture("other.jpg", day.addDays(2), {}, "other bytes");
    IndexPictures("other.jpg");

    actions.ListSamePictures(captured.pictures + "again.jpg");
    EXPECT_EQ(model.LineCount(), 4); // the same bytes, every one of them
    EXPECT_EQ(view.selected, 0);
    EXPECT_TRUE(actions.ShowsSearch());
    actions.ListSamePictures(captured.pictures + "other.jpg");
    EXPECT_EQ(model.LineCount(), 1);

    ASSERT_TRUE(QFile::rename(captured.pictures + "other.jpg", captured.sources + "moved.jpg"));
    actions.FindSavedFiles({captured.sources + "moved.jpg"});
    ASSERT_TRUE(testing::RunEventsUntil([&] { return !actions.Search().Running(); }));
    ASSERT_EQ(model.LineCount(), 1);
    EXPECT_EQ(model.Line(0).fileName, "other.jpg");
}

// The selected line's pictures are listed as a search, and refreshed as one.
TEST_F(HistoryActionsTest, TheSelectedLinesSamePicturesAreListedAsASearch) {
    IndexPictures();
    actions.ListNode(1, "20060315");
    view.SelectLine(2);
    actions.ListSamePicturesOfSelectedLine();
    EXPECT_EQ(model.LineCount(), 3);
    EXPECT_TRUE(actions.ShowsSearch());
    EXPECT_TRUE(actions.RepeatSearch());
    EXPECT_EQ(model.LineCount(), 3);
}

} // namespace
} // namespace kelvo
