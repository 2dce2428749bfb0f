#include "history/HistorySearch.h"
#include "history/HistoryListModel.h"
#include "logs/CaptureLog.h"
#include "logs/DayLog.h"
#include "logs/DayTexts.h"
#include "support/Files.h"
#include "support/Logs.h"
#include "support/Times.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPersistentModelIndex>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelvo {
namespace {

using testing::At;

// Texts as GoogleTest prints them readably.
using Lines = std::vector<std::string>;

Lines Texts(const QStringList& texts) {
    Lines lines;
    for (const QString& text : texts)
        lines.push_back(text.toStdString());
    return lines;
}

const QByteArray kHeader =
    "\"ファイル名\";\"取得日時\";\"識別名\";\"取得元アドレス\";\"保存先フォルダ\"\r\n";

class HistorySearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        root = QFileInfo(temp.path()).canonicalFilePath() + u'/';
        home = root + "home/";
    }

    void Capture(const QDateTime& at, const QString& name, const QString& identifier,
                 const QString& address, const QString& folder) {
        ASSERT_TRUE(WriteCaptureLog(home, {name, at, identifier, address, folder}));
    }

    // A log as it was typed in by hand, under the usual header.
    void WriteLog(const QString& day, const QByteArray& rows) {
        ASSERT_TRUE(testing::WriteBytesMakingFolders(DayLogPath(home, day), kHeader + rows));
    }

    // "day name in folder" of each row found, searching the days (every
    // logged day when none are given).
    Lines Found(const RowFilter& filter, QStringList days = {}) {
        if (days.isEmpty())
            days = LoggedDays(home);
        Lines found;
        const SearchReport report = SearchLogs(home, days, filter, [&](DayMatches&& matches) {
            for (const int row : matches.rows) {
                const auto cell = [&](int column) {
                    return QString::fromStdString(std::string(matches.log->Cell(row, column)));
                };
                found.push_back(
                    (matches.day + " " + cell(FileNameColumn) + " in " + cell(FolderColumn))
                        .toStdString());
            }
            return true;
        });
        EXPECT_TRUE(report.unreadable.isEmpty()) << report.unreadable.join(' ').toStdString();
        return found;
    }

    QTemporaryDir temp;
    QString root; // with its links resolved
    QString home;
};

TEST_F(HistorySearchTest, EveryWordMustOccurInASearchedValueOtherThanTheTime) {
    Capture(At(2006, 3, 15, 10, 0, 0), "sunset.jpg", "壁紙", "https://example.com/beach", "/pics/");
    Capture(At(2006, 3, 15, 11, 30, 0), "Beach.png", "Other", "https://foo.org/", "/taro/夏/");
    Capture(At(2006, 3, 15, 12, 0, 0), "x.gif", "y", "https://z.net/", "/q/");

    EXPECT_EQ(Found(WordFilter("sunset 壁紙")), Lines{"20060315 sunset.jpg in /pics/"});
    EXPECT_EQ(Found(WordFilter("BEACH")),
              Lines({"20060315 sunset.jpg in /pics/", "20060315 Beach.png in /taro/夏/"}));
    EXPECT_EQ(Found(WordFilter("ｂｅａｃｈ　夏")), Lines{"20060315 Beach.png in /taro/夏/"});
    EXPECT_EQ(Found(WordFilter("OTHER foo.org")), Lines{"20060315 Beach.png in /taro/夏/"});
    // Each word in some row, but no row with both.
    EXPECT_TRUE(Found(WordFilter("sunset 夏")).empty());
    // Only in 取得日時.
    EXPECT_TRUE(Found(WordFilter("11:30")).empty());
    EXPECT_TRUE(Found(WordFilter("2006/03/15")).empty());
    // Across the end of one value and the start of the next.
    for (const char* spanning : {"jpg壁紙", "紙https", "beach/pics"})
        EXPECT_TRUE(Found(WordFilter(spanning)).empty()) << spanning;

    for (const QString typed : {"", " ", "　\t"}) {
        const WordFilter none(typed);
        EXPECT_TRUE(none.Empty());
        EXPECT_TRUE(Found(none).empty());
    }
}

TEST_F(HistorySearchTest, WordsMeetTheirFullCaseFoldsAndLigatures) {
    Capture(At(2006, 3, 15, 10, 0, 0), "Straße.jpg", "ﬁle", "", "/pics/");
    const Lines found{"20060315 Straße.jpg in /pics/"};
    EXPECT_EQ(Found(WordFilter("strasse")), found);
    EXPECT_EQ(Found(WordFilter("STRAẞE file")), found);
}

TEST_F(HistorySearchTest, AWordWithAQuoteIsComparedWithTheValueNotTheLogsDoubledQuotes) {
    Capture(At(2006, 3, 15, 10, 0, 0), "say \"cheese\".jpg", "壁紙", "", "/pics/");
    const Lines saved{"20060315 say \"cheese\".jpg in /pics/"};
    EXPECT_EQ(Found(WordFilter("\"cheese\"")), saved);
    EXPECT_EQ(Found(WordFilter("cheese\".jpg")), saved);
    EXPECT_EQ(Found(WordFilter("＂ＣＨＥＥＳＥ＂")), saved); // full-width quotes fold to "
    // The log holds the quote doubled; the value does not.
    EXPECT_TRUE(Found(WordFilter("\"\"cheese")).empty());
}

// A hand edit leaves values unquoted; bare spaces are dropped as it is read.
// The quick look at the bytes must not pass over what the rows then hold.
TEST_F(HistorySearchTest, AHandEditedLogIsFoundByItsValuesAsTheyAreRead) {
    WriteLog("20060315", "my photo.jpg;2006/03/15 10:00:00;壁 紙;http://example.com/;/pics/\r\n");
    WriteLog("20060316",
             "\"my\" \"photo.jpg\";\"2006/03/16 10:00:00\";\"壁紙\";\"\";\"/pics/\"\r\n");
    for (const QString day : {"20060315", "20060316"})
        ASSERT_EQ(DayLog::Read(DayLogPath(home, day)).Cell(0, FileNameColumn), "myphoto.jpg");

    EXPECT_EQ(Found(WordFilter("myphoto"), {"20060315"}), Lines{"20060315 myphoto.jpg in /pics/"});
    EXPECT_EQ(Found(WordFilter("壁紙"), {"20060315"}), Lines{"20060315 myphoto.jpg in /pics/"});
    EXPECT_EQ(Found(WordFilter("my photo"), {"20060315"}), Lines{"20060315 myphoto.jpg in /pics/"});
    EXPECT_EQ(Found(SavedFileFilter({"/pics/myphoto.jpg"}), {"20060315"}),
              Lines{"20060315 myphoto.jpg in /pics/"});
    // Every separator between quotes, yet one value made of two quoted parts.
    EXPECT_EQ(Found(WordFilter("myphoto"), {"20060316"}), Lines{"20060316 myphoto.jpg in /pics/"});
    EXPECT_EQ(Found(SavedFileFilter({"/pics/myphoto.jpg"}), {"20060316"}),
              Lines{"20060316 myphoto.jpg in /pics/"});
}

// A day is searched whole at once, then told apart line by line: the rows
// found are those holding the word, wherever they lie, in a day where few
// rows do and in one where nearly all do; the last line lacks its line end.
TEST_F(HistorySearchTest, TheRowsFoundInALargeDayAreThoseHoldingTheWord) {
    constexpr int kRows = 150;
    const auto day = [&](const QString& dayText, const std::function<bool(int)>& holds) {
        QByteArray rows;
        Lines expected;
        for (int row = 0; row < kRows; ++row) {
            const QByteArray name = (holds(row) ? "Needle_" : "hay_") + QByteArray::number(row);
            rows += "\"" + name + ".jpg\";\"2006/03/15 10:00:00\";\"\";\"\";\"/pics/\"";
            if (row + 1 < kRows)
                rows += "\r\n";
            if (holds(row))
                expected.push_back((dayText + " ").toStdString() + name.toStdString() +
                                   ".jpg in /pics/");
        }
        WriteLog(dayText, rows);
        return expected;
    };
    const Lines few = day("20060315", [](int row) {
        return row == 0 || row == 63 || row == 64 || row == 65 || row == kRows - 1;
    });
    const Lines most = day("20060316", [](int row) { return row != 70; });
    EXPECT_EQ(Found(WordFilter("needle"), {"20060315"}), few);
    EXPECT_EQ(Found(WordFilter("needle"), {"20060316"}), most);
}

TEST_F(HistorySearchTest, ASavedFileIsFoundByItsFolderAndName) {
    Capture(At(2006, 3, 15, 10, 0, 0), "a.jpg", "壁紙", "", "/pics/");
    Capture(At(2006, 3, 15, 11, 0, 0), "a.jpg", "壁紙", "", "/other/");
    Capture(At(2006, 3, 15, 12, 0, 0), "b.jpg", "壁紙", "", "/pics/");
    // Folders typed in without their closing separator.
    WriteLog("20060316", "\"c.jpg\";\"2006/03/16 10:00:00\";\"\";\"\";\"/x/hand\"\r\n"
                         "\"c.jpg\";\"2006/03/16 11:00:00\";\"\";\"\";\"/x/ab\"\r\n");

    EXPECT_EQ(Found(SavedFileFilter({"/pics/a.jpg"})), Lines{"20060315 a.jpg in /pics/"});
    EXPECT_EQ(Found(SavedFileFilter({"/other/b.jpg", "/other/a.jpg"})),
              Lines{"20060315 a.jpg in /other/"});
    EXPECT_TRUE(Found(SavedFileFilter({"/elsewhere/a.jpg"})).empty());
    EXPECT_EQ(Found(SavedFileFilter({"/x/hand/c.jpg"})), Lines{"20060316 c.jpg in /x/hand"});
    EXPECT_EQ(Found(SavedFileFilter({"/x/ab/c.jpg"})), Lines{"20060316 c.jpg in /x/ab"});
    // Its text is folder and name run together, but it is another file.
    EXPECT_TRUE(Found(SavedFileFilter({"/x/abc.jpg"})).empty());
    EXPECT_TRUE(Found(SavedFileFilter({"/x/hand/d/c.jpg"})).empty());
}

TEST_F(HistorySearchTest, ARelativeOrLinkedPathFindsTheFileUnderTheFolderItWasSavedIn) {
    const QString real = root + "real/";
    ASSERT_TRUE(QDir().mkpath(real));
    ASSERT_TRUE(testing::WriteBytes(real + "a.jpg", "picture"));
    ASSERT_TRUE(QFile::link(root + "real", root + "link"));
    Capture(At(2006, 3, 15, 10, 0, 0), "a.jpg", "壁紙", "", real);
    Capture(At(2006, 3, 15, 11, 0, 0), "gone.jpg", "壁紙", "", root + "old/");

    EXPECT_EQ(Found(SavedFileFilter({root + "link/a.jpg"})),
              Lines{("20060315 a.jpg in " + real).toStdString()});

    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root));
    // A file no longer there: made absolute, with no links to resolve.
    const Lines found = Found(SavedFileFilter({"old/gone.jpg"}));
    const Lines foundThroughLink = Found(SavedFileFilter({"link/a.jpg"}));
    QDir::setCurrent(current);
    EXPECT_EQ(found, Lines{("20060315 gone.jpg in " + root + "old/").toStdString()});
    EXPECT_EQ(foundThroughLink, Lines{("20060315 a.jpg in " + real).toStdString()});
}

TEST_F(HistorySearchTest, LoggedDaysAreTheDayLogsInTheirOwnMonthsNewestFirst) {
    for (const char* log : {"2006年03月/20060301.txt", "2006年03月/20060315.txt",
                            "2006年04月/20060401.txt", "2005年12月/20051231.txt"})
        ASSERT_TRUE(testing::WriteBytesMakingFolders(home + "Logs/" + log, kHeader));
    for (const char* other :
         {"2006年03月/notes.txt", "2006年03月/2006031.txt", "2006年03月/2006031x.txt",
          "2006年03月/200603150.txt", "2006年03月/20060316.txt.bak", "2006年03月/20060317.log",
          "2006年03月/20060315.TXT", "2006年03月/20060415.txt", "backup/20060318.txt",
          "20060319.txt"})
        ASSERT_TRUE(testing::WriteBytesMakingFolders(home + "Logs/" + other, kHeader));
    // Named as logs, so that a search reports them as none it can read.
    ASSERT_TRUE(QDir().mkpath(home + "Logs/2006年03月/20060320.txt"));
    ASSERT_TRUE(testing::MakePipe(home + "Logs/2006年03月/20060321.txt"));

    EXPECT_EQ(Texts(LoggedDays(home)),
              Lines({"20060401", "20060321", "20060320", "20060315", "20060301", "20051231"}));
    EXPECT_TRUE(LoggedDays(root + "nobody/").isEmpty());
}

TEST_F(HistorySearchTest, SearchLogsHandsOverTheDaysInTheOrderGivenUntilToldToStop) {
    for (const QDateTime& at : {At(2005, 12, 31, 9, 0, 0), At(2006, 3, 15, 9, 0, 0),
                                At(2006, 3, 15, 10, 0, 0), At(2006, 4, 1, 9, 0, 0)})
        Capture(at, DayText(at) + ".jpg", "壁紙", "", "/pics/");
    Capture(At(2006, 3, 20, 9, 0, 0), "other.png", "壁紙", "", "/pics/");
    const WordFilter jpg("jpg");
    const QStringList days{"20051231", "20060320", "20060315", "20060101", "20060401"};

    QStringList found;
    std::vector<std::vector<int>> rows;
    SearchReport report = SearchLogs(home, days, jpg, [&](DayMatches&& matches) {
        found << matches.day;
        rows.push_back(matches.rows);
        return true;
    });
    EXPECT_EQ(Texts(found), Lines({"20051231", "20060315", "20060401"}));
    EXPECT_EQ(rows, (std::vector<std::vector<int>>{{0}, {0, 1}, {0}}));
    EXPECT_EQ(report.daysRead, 5);
    EXPECT_TRUE(report.unreadable.isEmpty()) << "a missing log is no unreadable one";

    found.clear();
    report = SearchLogs(home, days, jpg, [&](DayMatches&& matches) {
        found << matches.day;
        return false;
    });
    EXPECT_EQ(Texts(found), Lines{"20051231"});
    EXPECT_EQ(report.daysRead, 1);

    found.clear();
    std::atomic<bool> cancelled = false;
    report = SearchLogs(
        home, days, jpg,
        [&](DayMatches&& matches) {
            found << matches.day;
            cancelled = true;
            return true;
        },
        &cancelled);
    EXPECT_EQ(Texts(found), Lines{"20051231"});
    EXPECT_EQ(report.daysRead, 1);

    found.clear();
    report = SearchLogs(
        home, days, jpg,
        [&](DayMatches&& matches) {
            found << matches.day;
            return true;
        },
        &cancelled);
    EXPECT_TRUE(found.empty()) << "cancelled before it began";
    EXPECT_EQ(report.daysRead, 0);
}

TEST_F(HistorySearchTest, AShiftJisLogOfTheOldProgramIsSearchedAndReadBackInUtf8) {
    // 画像.jpg, 壁紙, C:\画像\ and ﾊﾞｲﾄ.jpg in Shift-JIS.
    ASSERT_TRUE(testing::WriteShiftJisLog(
        DayLogPath(home, "20050101"),
        "\"\x89\xE6\x91\x9C.jpg\";\"2005/01/01 10:00:00\";\"\x95\xC7\x8E\x86\";"
        "\"http://example.jp/\";\"C:\\\x89\xE6\x91\x9C\\\"\r\n"
        "\"\xCA\xDE\xB2\xC4.jpg\";\"2005/01/01 11:00:00\";\"x\";"
        "\"http://example.jp/\";\"C:\\\"\r\n"));

    EXPECT_EQ(Found(WordFilter("壁紙")), Lines{"20050101 画像.jpg in C:\\画像\\"});
    EXPECT_EQ(Found(WordFilter("画像 EXAMPLE.JP")), Lines{"20050101 画像.jpg in C:\\画像\\"});
    EXPECT_EQ(Found(WordFilter("バイト")), Lines{"20050101 ﾊﾞｲﾄ.jpg in C:\\"});
    EXPECT_TRUE(Found(WordFilter("壁紙 ﾊﾞｲﾄ")).empty());
}

TEST_F(HistorySearchTest, AnUnreadableLogIsPassedOverAndReported) {
    Capture(At(2006, 3, 15, 10, 0, 0), "a.jpg", "壁紙", "", "/pics/");
    const QString folderLog = DayLogPath(home, "20060316");
    ASSERT_TRUE(QDir().mkpath(folderLog));
    const QString pipeLog = DayLogPath(home, "20060319");
    ASSERT_TRUE(testing::MakePipe(pipeLog));
    const QString lockedLog = DayLogPath(home, "20060317");
    if (!testing::MakeUnreadableFile(lockedLog, kHeader))
        GTEST_SKIP() << "no log could be made unreadable";

    QStringList found;
    SearchReport report;
    EXPECT_FALSE(testing::OpensPipeForReading(pipeLog, [&] {
        report = SearchLogs(home, {"20060319", "20060318", "20060317", "20060316", "20060315"},
                            WordFilter("jpg"), [&](DayMatches&& matches) {
                                found << matches.day;
                                return true;
                            });
    }));
    EXPECT_EQ(Texts(found), Lines{"20060315"});
    EXPECT_EQ(Texts(report.unreadable), Texts({pipeLog, lockedLog, folderLog}));
    EXPECT_EQ(report.daysRead, 5);
}

// A search's lines in the history list, lines of several days at once.
class SearchResultsModelTest : public HistorySearchTest {
protected:
    void SetUp() override {
        HistorySearchTest::SetUp();
        Capture(At(2006, 3, 15, 9, 0, 0), "b.jpg", "壁紙", "", "/pics/");
        Capture(At(2006, 3, 15, 10, 0, 0), "x.jpg", "壁紙", "", "/pics/");
        Capture(At(2006, 3, 15, 11, 0, 0), "d.jpg", "壁紙", "", "/pics/");
        Capture(At(2006, 4, 1, 9, 0, 0), "a.jpg", "壁紙", "", "/pics/");
        Capture(At(2006, 4, 1, 10, 0, 0), "c.jpg", "壁紙", "", "/pics/");
        // As a search hands them over: x.jpg is no result.
        model.StartResults();
        const SavedFileFilter saved({"/pics/a.jpg", "/pics/b.jpg", "/pics/c.jpg", "/pics/d.jpg"});
        SearchLogs(home, LoggedDays(home), saved, [&](DayMatches&& matches) {
            model.AddResults(matches);
            return true;
        });
    }

    std::shared_ptr<const DayLog> Read(const QString& day) {
        return std::make_shared<const DayLog>(DayLog::Read(DayLogPath(home, day)));
    }

    Lines Names() const {
        Lines names;
        for (int row = 0; row < model.LineCount(); ++row)
            names.push_back(model.Line(row).fileName.toStdString());
        return names;
    }

    static constexpr int kDayColumn = 5;
    HistoryListModel model;
};

TEST_F(SearchResultsModelTest, ResultsHaveASixthColumnNamingEachLinesDay) {
    EXPECT_TRUE(model.ShowsResults());
    EXPECT_EQ(model.columnCount(), 6);
    EXPECT_EQ(model.headerData(kDayColumn, Qt::Horizontal).toString().toStdString(), "日付");
    EXPECT_EQ(model.headerData(FolderColumn, Qt::Horizontal).toString().toStdString(),
              "保存先フォルダ");
    EXPECT_EQ(Names(), Lines({"a.jpg", "c.jpg", "b.jpg", "d.jpg"}));
    EXPECT_EQ(model.DayCount(), 2);
    EXPECT_TRUE(model.AllShown());
    const QStringList days{model.LineDay(0), model.LineDay(1), model.LineDay(2), model.LineDay(3)};
    EXPECT_EQ(Texts(days), Lines({"20060401", "20060401", "20060315", "20060315"}));
    EXPECT_EQ(model.index(3, kDayColumn).data().toString().toStdString(), "2006年03月15日");
    EXPECT_EQ(model.index(3, CaptureTimeColumn).data().toString().toStdString(),
              "2006/03/15 11:00:00");
    EXPECT_EQ(model.Line(1).captureTime.toStdString(), "2006/04/01 10:00:00");
    EXPECT_TRUE(model.LineDay(4).isEmpty());
}

// b.jpg and a.jpg are both row 0 of their day's log: a selection must follow
// the line, not its row number.
TEST_F(SearchResultsModelTest, SortingKeepsSelectedLinesOnTheirLinesAcrossDays) {
    const QPersistentModelIndex b = model.index(2, FileNameColumn);
    const QPersistentModelIndex cDay = model.index(1, kDayColumn);

    model.Sort(FileNameColumn, false);
    EXPECT_EQ(Names(), Lines({"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    EXPECT_EQ(b.row(), 1);
    EXPECT_EQ(b.data().toString().toStdString(), "b.jpg");
    EXPECT_EQ(cDay.row(), 2);
    EXPECT_EQ(cDay.column(), kDayColumn);
    EXPECT_EQ(model.LineDay(cDay.row()).toStdString(), "20060401");

    // By day, a stable sort: within a day the names stay in order.
    model.Sort(kDayColumn, false);
    EXPECT_EQ(Names(), Lines({"b.jpg", "d.jpg", "a.jpg", "c.jpg"}));
    EXPECT_EQ(b.row(), 0);
    EXPECT_EQ(model.Line(cDay.row()).fileName.toStdString(), "c.jpg");
    model.Sort(kDayColumn, true);
    EXPECT_EQ(Names(), Lines({"a.jpg", "c.jpg", "b.jpg", "d.jpg"}));
    EXPECT_EQ(b.row(), 2);
    EXPECT_EQ(cDay.data().toString().toStdString(), "2006年04月01日");
    EXPECT_EQ(model.Line(cDay.row()).fileName.toStdString(), "c.jpg");
}

// A line renamed from the search's list: its log is read again, whole, and
// the line must show the new name, not another row of the day.
// A rename of a found file shows on its lines alone: those of its day that
// name it in its folder.
TEST_F(SearchResultsModelTest, ARenameShowsOnTheLinesOfThatFileAlone) {
    const QPersistentModelIndex d = model.index(3, FileNameColumn);
    int changedRow = -1;
    QObject::connect(
        &model, &QAbstractItemModel::dataChanged,
        [&](const QModelIndex& topLeft, const QModelIndex&) { changedRow = topLeft.row(); });
    const QString folder = model.Line(3).folder;
    model.RenameFound("20060316", folder, "d.jpg", "d-2.jpg");        // another day
    model.RenameFound("20060315", folder + "x/", "d.jpg", "d-2.jpg"); // another folder
    EXPECT_EQ(changedRow, -1);
    model.RenameFound("20060315", folder, "d.jpg", "d-2.jpg");

    EXPECT_EQ(Names(), Lines({"a.jpg", "c.jpg", "b.jpg", "d-2.jpg"}));
    EXPECT_EQ(d.row(), 3);
    EXPECT_EQ(d.data().toString().toStdString(), "d-2.jpg");
    EXPECT_EQ(model.Line(3).captureTime.toStdString(), "2006/03/15 11:00:00");
    EXPECT_EQ(changedRow, 3);
    EXPECT_EQ(model.LineDay(3).toStdString(), "20060315");
}

TEST_F(SearchResultsModelTest, ListingADayAgainGivesItsFiveColumnsBack) {
    model.Reset(Read("20060315"), "20060315");
    EXPECT_FALSE(model.ShowsResults());
    EXPECT_EQ(model.columnCount(), 5);
    EXPECT_FALSE(model.headerData(kDayColumn, Qt::Horizontal).isValid());
    EXPECT_EQ(model.LineCount(), 0);
    EXPECT_EQ(model.ShowMore(10), 3);
    EXPECT_EQ(Names(), Lines({"b.jpg", "x.jpg", "d.jpg"}));
    EXPECT_EQ(model.LineDay(2).toStdString(), "20060315");
    EXPECT_TRUE(model.Cell(0, kDayColumn).empty());

    model.StartResults();
    EXPECT_EQ(model.columnCount(), 6);
    EXPECT_EQ(model.LineCount(), 0);
    model.Clear();
    EXPECT_EQ(model.columnCount(), 5);
}

} // namespace
} // namespace kelvo
