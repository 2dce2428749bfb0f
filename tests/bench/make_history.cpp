// Writes five years of history into a home: every day's log and the history
// tree that lists the days, as Kelvo would have left them. For
// scripts/measure.sh, whose window starts on it.
//
//   kelvo_make_history HOME [CAPTURES_A_DAY]

#include "HistoryLogs.h"
#include "logs/HistoryTree.h"
#include "session/HomeFiles.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    using namespace kelvo;
    QCoreApplication app(argc, argv);
    const int perDay = argc > 2 ? std::atoi(argv[2]) : 100;
    if (argc < 2 || argc > 3 || perDay < 1) {
        std::fprintf(stderr, "usage: %s HOME [CAPTURES_A_DAY]\n", argv[0]);
        return 2;
    }
    if (!bench::SameBytesAsCaptureLog()) {
        std::fprintf(stderr, "the generated log differs from what WriteCaptureLog writes\n");
        return 1;
    }
    const QString home = QFile::decodeName(argv[1]) + u'/';
    HistoryTree tree;
    for (int n = bench::kHistoryDays - 1; n >= 0; --n)
        tree.AddCaptureDayToTree(QDateTime(bench::kHistoryLastDay.addDays(-n), QTime(12, 0)));
    if (!bench::WriteHistoryLogs(home, perDay) || !tree.Save(HistoryTreeFilePath(home))) {
        std::fprintf(stderr, "cannot write the history into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
