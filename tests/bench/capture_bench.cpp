// A burst of captures into one destination while the day's log grows: the time
// per capture for the first and the last hundred, and one capture against a
// plain copy of the same file. Prints figures; it is not a test.
//
//   kelvo_capture_bench [COUNT] [SIZE_KB]

#include "Median.h"
#include "capture/CaptureDisplay.h"
#include "capture/CapturePipeline.h"
#include "destinations/CurrentDestination.h"
#include "history/HistoryTree.h"
#include "platform/FileCopy.h"
#include "support/CaptureFakes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace kelvo;

QStringList MakeSources(const QString& folder, int count, int sizeKb) {
    QStringList paths;
    QRandomGenerator random(42);
    QByteArray bytes(sizeKb * 1024, '\0');
    for (int i = 0; i < count; ++i) {
        random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        bytes[0] = '\xFF'; // a JPEG's start, so the file is what a browser would hand over
        bytes[1] = '\xD8';
        bytes[2] = '\xFF';
        const QString path = folder + QStringLiteral("img_%1.jpg").arg(i, 4, 10, QChar(u'0'));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        paths << path;
    }
    return paths;
}

// Every capture waits for the disk twice, and the disk is shared, so a few
// captures take many times the usual.
double Median(const std::vector<double>& values, size_t from, size_t count) {
    return bench::Median({values.begin() + long(from), values.begin() + long(from + count)});
}

double Average(const std::vector<double>& values, size_t from, size_t count) {
    double sum = 0;
    for (size_t i = from; i < from + count; ++i)
        sum += values[i];
    return sum / static_cast<double>(count);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int sizeKb = argc > 2 ? std::atoi(argv[2]) : 200;
    QTemporaryDir temp;
    const QString home = temp.path() + "/home/", sources = temp.path() + "/sources/",
                  target = temp.path() + "/pictures/", plain = temp.path() + "/plain/";
    for (const QString& folder : {home, sources, target, plain})
        QDir().mkpath(folder);
    const QStringList files = MakeSources(sources, count, sizeKb);

    testing::ScriptedPrompter prompter;
    testing::FakeBrowser browser;
    browser.pageAddress = QStringLiteral("https://example.com/gallery/page?id=12345");
    SystemClock clock;
    SilentCaptureDisplay display;
    HistoryTree history;
    CurrentDestination destination(home);
    destination.Set(QStringLiteral("壁紙"), target);
    CapturePipeline pipeline({home, prompter, browser, clock, display, history, destination});

    std::vector<double> capture, copy;
    QElapsedTimer timer;
    for (const QString& file : files) {
        timer.start();
        pipeline.CaptureFile({file, {}});
        capture.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        CopyFileNoReplace(QFile::encodeName(file).toStdString(),
                          QFile::encodeName(plain + QFileInfo(file).fileName()).toStdString());
        copy.push_back(timer.nsecsElapsed() / 1e6);
    }
    const size_t tail = std::min<size_t>(100, capture.size());
    const double first = Median(capture, 0, tail);
    const double last = Median(capture, capture.size() - tail, tail);
    const double plainCopy = Median(copy, 0, copy.size());
    const double all = Median(capture, 0, capture.size());
    std::printf("captures: %d files of %d KB\n", count, sizeKb);
    std::printf("medians of the time per capture\n");
    std::printf("first %zu: %.2f ms per capture\n", tail, first);
    std::printf("last %zu:  %.2f ms per capture (%.2fx the first)\n", tail, last, last / first);
    std::printf("plain no-replace copy: %.2f ms; one capture: %.2f ms (%.2fx the copy)\n",
                plainCopy, all, all / plainCopy);
    std::printf("mean of all captures: %.2f ms\n", Average(capture, 0, capture.size()));
    return prompter.notices.isEmpty() ? 0 : 1;
}
