// Closes the window's session over and over on one home, as the fault test
// kills it: each round adds a destination and a day, then writes the four
// files of a close (kelvo.ini, ListView.txt, TreeView.txt, TreeViewLogs.txt)
// and prints "closed N" once all four are written.
// Usage: kelvo_close_loop HOME (QT_QPA_PLATFORM=offscreen)

#include "app/AppSession.h"
#include "destinations/DestinationList.h"
#include "logs/HistoryTree.h"

#include <QApplication>
#include <QDateTime>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: kelvo_close_loop HOME\n", stderr);
        return 2;
    }
    kelvo::AppSession session(QString::fromLocal8Bit(argv[1]));
    const int start = session.Destinations().Count();
    for (int round = start;; ++round) {
        session.Destinations().Append(
            {QStringLiteral("保存先%1").arg(round), QStringLiteral("/pictures/%1/").arg(round)});
        session.History().AddCaptureDayToTree(
            QDateTime(QDate(2006, 1, 1).addDays(round), QTime(12, 0)));
        if (!session.FormClose())
            return 1;
        std::printf("closed %d\n", round);
        std::fflush(stdout);
    }
}
