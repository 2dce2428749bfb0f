#include "history/SearchRunner.h"
#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"
#include "support/EventLoop.h"
#include "support/Files.h"
#include "support/Times.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace kelvo {
namespace {

using testing::At;
using Events = std::vector<std::string>;

// Every row matches, slowly, so that a search is still running when the test
// acts; counts the rows looked at.
class SlowFilter : public RowFilter {
public:
    bool Matches(const DayLog&, int) const override {
        ++looked;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return true;
    }
    mutable std::atomic<int> looked = 0;
};

// What a runner reported, in order: "found <day>" and "finished".
struct Reports {
    explicit Reports(SearchRunner& runner) {
        QObject::connect(&runner, &SearchRunner::Found, [this](const std::vector<DayMatches>& d) {
            for (const DayMatches& day : d)
                events.push_back("found " + day.day.toStdString());
        });
        QObject::connect(&runner, &SearchRunner::Finished, [this](const QStringList& logs) {
            events.push_back("finished");
            unreadable = logs;
        });
    }
    int Finished() const { return int(std::count(events.begin(), events.end(), "finished")); }

    std::vector<std::string> events; // as GoogleTest prints them readably
    QStringList unreadable;
};

// Lets stray queued hand-overs, if any were left, arrive.
void RunLeftOverEvents() {
    const QDeadlineTimer deadline(50);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Waits, with no events run, until the worker has looked at that many rows.
bool WaitUntilLooked(const SlowFilter& filter, int rows) {
    const QDeadlineTimer deadline(10000);
    while (filter.looked < rows) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class SearchRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::EnsureCoreApplication();
        ASSERT_TRUE(temp.isValid());
        home = temp.path() + "/home/";
    }

    void Capture(const QDateTime& at, const QString& name) {
        ASSERT_TRUE(WriteCaptureLog(home, {name, at, "壁紙", "", "/pics/"}));
    }

    // A day's log for each of many days from 2006-01-01 on, one row each.
    void CaptureManyDays(int days) {
        for (int day = 0; day < days; ++day) {
            const QDateTime at = At(2006, 1, 1, 10, 0, 0).addDays(day);
            Capture(at, DayText(at) + ".jpg");
        }
    }

    QTemporaryDir temp;
    QString home;
};

TEST_F(SearchRunnerTest, DaysArriveNewestFirstAndFinishedOnceAtTheEnd) {
    Capture(At(2005, 12, 31, 9, 0, 0), "old.jpg");
    Capture(At(2006, 3, 15, 9, 0, 0), "mid.jpg");
    Capture(At(2006, 3, 15, 10, 0, 0), "mid.png");
    Capture(At(2006, 3, 20, 9, 0, 0), "none.png");
    Capture(At(2006, 4, 1, 9, 0, 0), "new.jpg");
    SearchRunner runner(home);
    runner.SetBatchTime(0);
    Reports reports(runner);

    runner.Start(std::make_shared<WordFilter>("JPG"));
    EXPECT_TRUE(runner.Running());
    ASSERT_TRUE(testing::RunEventsUntil([&] { return reports.Finished() > 0; }));
    RunLeftOverEvents();
    EXPECT_FALSE(runner.Running());
    EXPECT_EQ(reports.events,
              Events({"found 20060401", "found 20060315", "found 20051231", "finished"}));
    EXPECT_TRUE(reports.unreadable.isEmpty());

    // Handed over in batches, the order and the single end are the same.
    Reports batched(runner);
    runner.SetBatchTime(60000);
    runner.Start(std::make_shared<WordFilter>("jpg"));
    ASSERT_TRUE(testing::RunEventsUntil([&] { return batched.Finished() > 0; }));
    RunLeftOverEvents();
    EXPECT_EQ(batched.events,
              Events({"found 20060401", "found 20060315", "found 20051231", "finished"}));
}

// Days of the first search already on their way when the second starts must
// not reach the second's list.
TEST_F(SearchRunnerTest, ASecondSearchEndsTheFirstAndNothingOfTheFirstArrivesAfter) {
    CaptureManyDays(60);
    SearchRunner runner(home);
    runner.SetBatchTime(0);
    Reports reports(runner);
    const auto slow = std::make_shared<SlowFilter>();
    runner.Start(slow);
    ASSERT_TRUE(WaitUntilLooked(*slow, 3)); // two days handed over, not yet delivered

    runner.Start(std::make_shared<WordFilter>("20060105"));
    ASSERT_TRUE(testing::RunEventsUntil([&] { return reports.Finished() > 0; }));
    RunLeftOverEvents();
    EXPECT_EQ(reports.events, Events({"found 20060105", "finished"}));
}

TEST_F(SearchRunnerTest, CancelStopsTheSearchWithoutFoundOrFinished) {
    CaptureManyDays(60);
    SearchRunner runner(home);
    runner.SetBatchTime(0);
    Reports reports(runner);
    const auto slow = std::make_shared<SlowFilter>();
    runner.Start(slow);
    ASSERT_TRUE(WaitUntilLooked(*slow, 3));

    runner.Cancel();
    EXPECT_FALSE(runner.Running());
    const int looked = slow->looked;
    RunLeftOverEvents();
    EXPECT_EQ(reports.events, Events{});
    EXPECT_EQ(slow->looked, looked) << "the search went on after Cancel";
}

TEST_F(SearchRunnerTest, UnreadableLogsAreReportedWhenFinished) {
    Capture(At(2006, 3, 15, 9, 0, 0), "a.jpg");
    const QString locked = DayLogPath(home, "20060316");
    if (!testing::MakeUnreadableFile(locked, "\"ファイル名\"\r\n"))
        GTEST_SKIP() << "no log could be made unreadable";

    SearchRunner runner(home);
    Reports reports(runner);
    runner.Start(std::make_shared<WordFilter>("jpg"));
    ASSERT_TRUE(testing::RunEventsUntil([&] { return reports.Finished() > 0; }));
    EXPECT_EQ(reports.events, Events({"found 20060315", "finished"}));
    EXPECT_EQ(reports.unreadable, QStringList{locked});
}

} // namespace
} // namespace kelvo
