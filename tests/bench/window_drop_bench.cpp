// A 24-megapixel JPEG dropped on the real main window (offscreen): the
// longest time the window's event loop was away between two turns of a 5 ms
// heartbeat, from the drop until the preview shows. Side by side, in the same
// run: decoding the picture on the UI thread as the preview once did (at the
// screen's size), and copying the file with a sync.
//
//   QT_QPA_PLATFORM=offscreen kelvo_window_drop_bench [RUNS]

#include "Median.h"
#include "app/AppSession.h"
#include "app/TForm1.h"
#include "support/Files.h"
#include "viewer/PictureLoader.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using kelvo::bench::Median;

// Content that does not compress away, as a photograph's.
bool WriteJpeg(const QString& path) {
    QImage image(6000, 4000, QImage::Format_RGB32);
    QRandomGenerator random(24);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x * 255) / image.width(), (y * 255) / image.height(),
                           int(random.bounded(256)));
    }
    return image.save(path, "JPEG", 90);
}

void Drop(QWidget& window, const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at(window.width() / 2, window.height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
}

// The longest gap between heartbeats from the drop until the preview shows.
double LongestGapMs(kelvo::TForm1& window, const QString& picture) {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    QTest::qWait(50);
    clock.start();
    heartbeat.start();
    Drop(window, picture);
    const auto* preview = window.findChild<QLabel*>(QStringLiteral("Image1"));
    const bool shown = QTest::qWaitFor([&] { return !preview->pixmap().isNull(); }, 20000);
    heartbeat.stop();
    // The drop itself ran before the first heartbeat: it counts from the start.
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return shown ? longest / 1e6 : -1;
}

double SyncedCopyMs(const QString& from, const QString& to) {
    QElapsedTimer clock;
    clock.start();
    QFile::copy(from, to);
    const int fd = ::open(QFile::encodeName(to).constData(), O_RDONLY);
    ::fdatasync(fd);
    ::close(fd);
    const double ms = clock.nsecsElapsed() / 1e6;
    QFile::remove(to);
    return ms;
}

double UiThreadDecodeMs(const QString& picture) {
    QElapsedTimer clock;
    clock.start();
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    const kelvo::LoadedPicture loaded = kelvo::LoadPicture(picture, screen);
    return loaded.image.isNull() ? -1 : clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir work;
    const QString picture = work.filePath(QStringLiteral("photo.jpg"));
    if (!WriteJpeg(picture)) {
        std::fprintf(stderr, "cannot write the JPEG\n");
        return 1;
    }
    std::vector<double> gaps, decodes, copies;
    for (int run = 0; run < runs; ++run) {
        const QString home = work.filePath(QStringLiteral("home%1/").arg(run));
        QDir().mkpath(home);
        kelvo::testing::WriteBytes(home + QStringLiteral("kelvo.ini"), "[Form]\r\nCBX2=0\r\n");
        kelvo::AppSession session(home);
        kelvo::TForm1& window = session.MainWindow();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        gaps.push_back(LongestGapMs(window, picture));
        decodes.push_back(UiThreadDecodeMs(picture));
        copies.push_back(SyncedCopyMs(picture, work.filePath(QStringLiteral("copy.jpg"))));
        window.close();
    }
    const double gap = Median(gaps);
    const double decode = Median(decodes);
    const double copy = Median(copies);
    std::printf("24-megapixel JPEG dropped on the window, medians of %d:\n", runs);
    std::printf("  longest event-loop gap, drop to preview  %7.1f ms\n", gap);
    std::printf("  decode on the UI thread (screen size)    %7.1f ms\n", decode);
    std::printf("  copy of the file + fdatasync             %7.1f ms\n", copy);
    std::printf("gap / UI-thread decode: %.2fx   gap / synced copy: %.2fx   (goal: gap <= 30 ms)\n",
                gap / decode, gap / copy);
    return gap < 0 ? 1 : 0;
}
