// Listing a day of many captures in the history browser, against loading the
// same log with the table store alone; and printing the day as `kelvo history
// DAY` does, against the listing. Prints figures; it is not a test.
//
//   kelvo_history_listing_bench [ROWS] [RUNS]

#include "Median.h"
#include "commands/CommandOutput.h"
#include "commands/HistoryCommand.h"
#include "history/DayListing.h"
#include "history/HistoryListModel.h"
#include "logs/CaptureLog.h"
#include "logs/HistoryTree.h"
#include "table/TMlb2.h"
#include "text/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace kelvo;

// A day's log as the capture pipeline writes it, in the five columns.
void WriteDayLog(const QString& path, int rows) {
    TMlb2 table;
    for (const char* column : kCaptureLogColumns)
        table.AddColumn(column);
    table.ReserveRows(rows);
    for (int i = 0; i < rows; ++i) {
        table.AppendRow();
        table.MoveLast();
        const QString time = QStringLiteral("2006/03/15 %1:%2:%3")
                                 .arg(i / 3600 % 24, 2, 10, QChar(u'0'))
                                 .arg(i / 60 % 60, 2, 10, QChar(u'0'))
                                 .arg(i % 60, 2, 10, QChar(u'0'));
        table.SetValue("ファイル名", QStringLiteral("画像_%1.jpg").arg(i).toStdString());
        table.SetValue("取得日時", time.toStdString());
        table.SetValue("識別名", i % 2 ? "壁紙" : "wallpaper");
        table.SetValue("取得元アドレス",
                       QStringLiteral("https://example.com/gallery/%1.html").arg(i).toStdString());
        table.SetValue("保存先フォルダ", "/home/taro/Pictures/壁紙/");
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    table.Save(QFile::encodeName(path).toStdString());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 50000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 9;
    QTemporaryDir temp;
    const QString home = temp.path() + u'/';
    const QString day = QStringLiteral("20060315");
    const QString path = DayLogPath(home, day);
    WriteDayLog(path, rows);
    HistoryTree tree; // the command prints only a day of the tree
    tree.AddCaptureDayToTree(QDateTime(QDate(2006, 3, 15), QTime(12, 0)));
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (!tree.Save(HistoryTreeFilePath(home)) || devNull < 0) {
        std::fprintf(stderr, "cannot prepare the home in %s\n", qPrintable(home));
        return 1;
    }

    std::vector<double> loads, listings, detects, commands;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        {
            timer.start();
            TMlb2 table;
            table.Load(QFile::encodeName(path).toStdString());
            loads.push_back(timer.nsecsElapsed() / 1e6);
            timer.restart();
            DetectTableEncoding(table);
            detects.push_back(timer.nsecsElapsed() / 1e6);
        } // gone before the listing, so both start from the same free memory
        {
            HistoryListModel model;
            DayListing listing(home, model);
            timer.restart();
            listing.ListDay(day);
            while (listing.Running())
                QCoreApplication::processEvents();
            listings.push_back(timer.nsecsElapsed() / 1e6);
            if (model.LineCount() != rows) {
                std::fprintf(stderr, "listed %d lines of %d\n", model.LineCount(), rows);
                return 1;
            }
        } // likewise gone before the command
        // What main runs for `kelvo history DAY`, into /dev/null.
        QString errors;
        QTextStream err(&errors);
        timer.restart();
        CommandOutput out(devNull);
        const int code = RunHistoryCommand({day}, home, out, err);
        const bool written = out.Finish();
        commands.push_back(timer.nsecsElapsed() / 1e6);
        if (code != 0 || !written) {
            std::fprintf(stderr, "history %s failed: %s\n", qPrintable(day), qPrintable(errors));
            return 1;
        }
    }
    ::close(devNull);
    const double load = bench::Median(loads);
    const double listing = bench::Median(listings);
    std::printf("a day of %d captures, median of %d runs\n", rows, runs);
    std::printf("%-28s%10.1f ms\n", "TMlb2::Load", load);
    std::printf("%-28s%10.1f ms\n", "complete listing", listing);
    std::printf("%-28s%10.1f ms\n", "of which the encoding check", bench::Median(detects));
    const double command = bench::Median(commands);
    std::printf("%-28s%10.1f ms\n", "kelvo history DAY", command);
    std::printf("listing/Load: %.2fx the time (target: at most 2x)\n", listing / load);
    std::printf("history DAY/listing: %.2fx the time (target: at most 2x)\n", command / listing);
    return 0;
}
