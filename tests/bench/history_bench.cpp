// Five years of daily captures: 1,800 day nodes and 100 captures a day. What
// start-up and the history window pay: loading TreeViewLogs.txt into the
// history tree, adding a day to the full tree (every capture asks; a new day
// adds a node), and reading one day's log.

#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"
#include "logs/HistoryTree.h"
#include "table/TMlb2.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace kelvo {
namespace {

constexpr int kDays = 1800;
constexpr int kCapturesPerDay = 100;
const QDateTime kFirstDay(QDate(2021, 1, 1), QTime(9, 0, 0));

struct Fixture {
    QTemporaryDir temp;
    QString home = temp.path() + "/";
    QString treePath = HistoryTreeFilePath(home);
    QDateTime lastDay = kFirstDay.addDays(kDays - 1);

    Fixture() {
        HistoryTree tree;
        for (int day = 0; day < kDays; ++day)
            tree.AddCaptureDayToTree(kFirstDay.addDays(day));
        tree.Save(treePath);
        for (int capture = 0; capture < kCapturesPerDay; ++capture) {
            const CaptureRecord record{
                QStringLiteral("画像_%1.jpg").arg(capture), lastDay.addSecs(capture * 60),
                QStringLiteral("壁紙"),
                QStringLiteral("https://example.com/gallery/%1").arg(capture),
                QStringLiteral("/home/user/画像/壁紙/")};
            WriteCaptureLog(home, record);
        }
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void BM_BuildTreeDayByDay(benchmark::State& state) {
    for (auto _ : state) {
        HistoryTree tree;
        for (int day = 0; day < kDays; ++day)
            tree.AddCaptureDayToTree(kFirstDay.addDays(day));
        benchmark::DoNotOptimize(tree.rowCount());
    }
}
BENCHMARK(BM_BuildTreeDayByDay)->Unit(benchmark::kMillisecond);

void BM_LoadTree(benchmark::State& state) {
    for (auto _ : state) {
        HistoryTree tree;
        tree.Load(Data().treePath);
        benchmark::DoNotOptimize(tree.rowCount());
    }
}
BENCHMARK(BM_LoadTree)->Unit(benchmark::kMillisecond);

void BM_CaptureOnAKnownDay(benchmark::State& state) {
    HistoryTree tree;
    tree.Load(Data().treePath);
    for (auto _ : state)
        benchmark::DoNotOptimize(tree.AddCaptureDayToTree(Data().lastDay).newDay);
}
BENCHMARK(BM_CaptureOnAKnownDay)->Unit(benchmark::kMicrosecond);

// Every capture on a day not yet in the full tree (earlier days, so that
// each lands in front of the others).
void BM_CaptureOnANewDay(benchmark::State& state) {
    HistoryTree tree;
    tree.Load(Data().treePath);
    QDateTime day = kFirstDay;
    for (auto _ : state) {
        day = day.addDays(-1);
        benchmark::DoNotOptimize(tree.AddCaptureDayToTree(day).newDay);
    }
}
BENCHMARK(BM_CaptureOnANewDay)->Unit(benchmark::kMicrosecond);

void BM_ReadOneDay(benchmark::State& state) {
    const QString log = DailyLogPath(Data().home, Data().lastDay);
    for (auto _ : state) {
        TMlb2 table;
        LoadCaptureLog(log, table);
        benchmark::DoNotOptimize(table.RowCount());
    }
}
BENCHMARK(BM_ReadOneDay)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kelvo

int main(int argc, char** argv) {
    using kelvo::Data;
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Data(); // made before any timing starts
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
