// The day's first captures against its 9,901st to 10,000th: the time per row
// written to the daily log by the append, and by loading, adding and saving
// the whole log (the way every row was written before). Prints figures; it is
// not a test.
//
//   kelvo_capture_log_bench [ROWS_BEFORE] [MEASURED]

#include "Median.h"
#include "logs/CaptureLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using namespace kelvo;
using Writer = std::function<bool(const QString&, const CaptureRecord&)>;

const QDateTime kDay(QDate(2026, 12, 7), QTime(9, 0, 0));

CaptureRecord Record(int n) {
    return {QStringLiteral("画像_%1.jpg").arg(n), kDay.addSecs(n % 50000), QStringLiteral("壁紙"),
            QStringLiteral("https://example.com/gallery/page?id=%1").arg(n),
            QStringLiteral("/home/user/画像/壁紙/")};
}

// A log of rowsBefore rows, written the quick way whatever is measured.
QString HomeWithLog(const QString& folder, int rowsBefore) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (int n = 0; n < rowsBefore; ++n)
        WriteCaptureLog(folder, Record(n));
    return folder;
}

// Milliseconds per row for `measured` rows written after rowsBefore rows.
double MsPerRow(const Writer& write, const QString& folder, int rowsBefore, int measured) {
    const QString home = HomeWithLog(folder, rowsBefore);
    QElapsedTimer timer;
    timer.start();
    for (int n = rowsBefore; n < rowsBefore + measured; ++n) {
        if (!write(home, Record(n))) {
            std::fprintf(stderr, "cannot write the log in %s\n", qPrintable(home));
            std::exit(1);
        }
    }
    return double(timer.nsecsElapsed()) / 1e6 / measured;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int rowsBefore = argc > 1 ? std::atoi(argv[1]) : 9900;
    const int measured = argc > 2 ? std::atoi(argv[2]) : 100;
    QTemporaryDir temp;
    const QString folder = temp.path() + "/home/";

    std::printf("daily log: %d rows measured on an empty day and after %d rows\n", measured,
                rowsBefore);
    std::printf("%-10s %14s %14s %8s\n", "", "first ms/row", "later ms/row", "ratio");
    const std::pair<const char*, Writer> writers[] = {{"append", WriteCaptureLog},
                                                      {"rewrite", RewriteCaptureLog}};
    for (const auto& [name, write] : writers) {
        // Side by side, five times: every row is flushed to disk, and the
        // disk is shared with whatever else runs.
        std::vector<double> firstRuns, laterRuns;
        for (int run = 0; run < 5; ++run) {
            firstRuns.push_back(MsPerRow(write, folder, 0, measured));
            laterRuns.push_back(MsPerRow(write, folder, rowsBefore, measured));
        }
        const double first = bench::Median(firstRuns), later = bench::Median(laterRuns);
        std::printf("%-10s %14.3f %14.3f %7.2fx\n", name, first, later, later / first);
    }
    return 0;
}
