// A burst of captures into one destination while the day's log grows: the time
// per capture for the first and the last hundred, and one capture against a
// plain copy of the same file. With "rename": automatic renaming into a folder
// where one name is taken against one where TAKEN are. Prints figures; it is
// not a test.
//
//   kelvo_capture_bench [COUNT] [SIZE_KB]
//   kelvo_capture_bench rename [TAKEN] [SIZE_KB] [ROUNDS]

#include "Median.h"
#include "capture/CaptureDisplay.h"
#include "capture/CaptureNames.h"
#include "capture/CapturePipeline.h"
#include "destinations/CurrentDestination.h"
#include "files/FileCopy.h"
#include "logs/HistoryTree.h"
#include "support/CaptureFakes.h"
#include "support/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace kelvo;
using testing::Native;

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
        testing::WriteBytes(path, bytes);
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

// The copies alone as automatic renaming made them before: a whole copy,
// flushed to disk, for every name tried until one was free.
QString CopyPerNameTried(const QString& source, const QString& folder) {
    QString candidate = folder + QFileInfo(source).fileName();
    AutoRenameNames names(QFileInfo(source).fileName());
    while (CopyFileNoReplace(Native(source), Native(candidate)) == CopyResult::TargetExists)
        candidate = folder + names.Next();
    return candidate;
}

// The same dropped file renamed automatically, round after round, into a
// folder where one name is taken and into one where `taken` are, each saved
// copy removed again so every round finds the same names.
int RenameBench(int taken, int sizeKb, int rounds) {
    QTemporaryDir temp;
    const QString home = temp.path() + "/home/", sources = temp.path() + "/sources/",
                  few = temp.path() + "/one-taken/", many = temp.path() + "/many-taken/";
    for (const QString& folder : {home, sources, few, many})
        QDir().mkpath(folder);
    const QString source = sources + "photo.jpg";
    QFile::copy(MakeSources(sources, 1, sizeKb).at(0), source);
    QFile::copy(source, few + "photo.jpg");
    QFile::copy(source, many + "photo.jpg");
    AutoRenameNames names("photo.jpg");
    for (int n = 1; n < taken; ++n)
        QFile::copy(source, many + names.Next());

    testing::ScriptedPrompter prompter;
    prompter.clashChoices.assign(size_t(rounds) * 2, ClashChoice::AutoRename);
    testing::FakeBrowser browser;
    SystemClock clock;
    SilentCaptureDisplay display;
    HistoryTree history;
    CurrentDestination destination(home);
    CapturePipeline pipeline({home, prompter, browser, clock, display, history, destination});

    std::vector<double> captureFew, captureMany, copiesFew, copiesMany;
    QElapsedTimer timer;
    int failures = 0;
    const auto capture = [&](const QString& folder, std::vector<double>& times) {
        destination.Set(QStringLiteral("壁紙"), folder);
        timer.start();
        const CaptureOutcome outcome = pipeline.CaptureFile({source, {}});
        times.push_back(timer.nsecsElapsed() / 1e6);
        failures += outcome.kind != CaptureOutcome::Kind::Saved;
        QFile::remove(outcome.savedPath);
    };
    const auto copies = [&](const QString& folder, std::vector<double>& times) {
        timer.start();
        const QString saved = CopyPerNameTried(source, folder);
        times.push_back(timer.nsecsElapsed() / 1e6);
        QFile::remove(saved);
    };
    for (int round = 0; round < rounds; ++round) {
        capture(few, captureFew);
        capture(many, captureMany);
        copies(few, copiesFew);
        copies(many, copiesMany);
    }
    const auto row = [&](const char* what, const std::vector<double>& one,
                         const std::vector<double>& all) {
        const double a = bench::Median(one), b = bench::Median(all);
        std::printf("%-40s%10.2f%12.2f%10.2fx\n", what, a, b, b / a);
    };
    std::printf("automatic renaming of a %d KB file, medians of %d rounds (ms)\n", sizeKb, rounds);
    const std::string manyTaken = std::to_string(taken) + " taken";
    std::printf("%-40s%10s%12s%11s\n", "", "1 taken", manyTaken.c_str(), "ratio");
    row("capture: one copy, every name tried", captureFew, captureMany);
    row("copies alone, one per name (before)", copiesFew, copiesMany);
    return failures == 0 && prompter.notices.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "rename") == 0)
        return RenameBench(argc > 2 ? std::atoi(argv[2]) : 200, argc > 3 ? std::atoi(argv[3]) : 200,
                           argc > 4 ? std::atoi(argv[4]) : 20);
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
        CopyFileNoReplace(Native(file), Native(plain + QFileInfo(file).fileName()));
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
