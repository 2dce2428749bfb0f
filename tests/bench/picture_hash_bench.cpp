// The picture hash's accuracy on pictures made here: the share of edited
// copies (half size, JPEG quality 70, WebP, cropped) still told as similar, the
// share of unrelated pictures that match any other, at kSimilarDistance and
// around it; and the time to hash a 1600 x 1200 JPEG from its file, against
// decoding it whole. Prints figures; it is not a test.
//
//   kelvo_picture_hash_bench [COPIES] [UNRELATED]

#include "Median.h"
#include "similarity/PerceptualHash.h"
#include "support/SyntheticPictures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace {

using namespace kelvo;
using testing::SyntheticPicture;

constexpr int kUnreachable = 65; // farther than any two hashes: one had none
constexpr double kCopiesGoal = 95.0;
constexpr double kFalseMatchGoal = 0.1;

struct Edit {
    const char* label;
    const char* format;
    int quality;
    std::function<QImage(const QImage&)> apply;
    bool hasGoal;
};

QRect Central(QSize size, double keptSide) {
    const QSize kept(int(size.width() * keptSide), int(size.height() * keptSide));
    return QRect(QPoint((size.width() - kept.width()) / 2, (size.height() - kept.height()) / 2),
                 kept);
}

const std::vector<Edit>& Edits() {
    static const std::vector<Edit> edits = {
        {"resized to half", "png", -1,
         [](const QImage& p) {
             return p.scaled(p.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
         },
         true},
        {"JPEG quality 70", "jpeg", 70, [](const QImage& p) { return p; }, true},
        {"WebP (quality 75)", "webp", 75, [](const QImage& p) { return p; }, true},
        {"10% of the area cropped, all sides", "png", -1,
         [](const QImage& p) { return p.copy(Central(p.size(), std::sqrt(0.9))); }, true},
        {"5% cropped from each side (19% area)", "png", -1,
         [](const QImage& p) { return p.copy(Central(p.size(), 0.9)); }, false},
        {"10% cropped from one side", "png", -1,
         [](const QImage& p) {
             return p.copy(QRect(p.width() / 10, 0, p.width() - p.width() / 10, p.height()));
         },
         false},
    };
    return edits;
}

std::optional<PictureHash> WrittenAndHashed(const QImage& image, const QString& path,
                                            const char* format, int quality) {
    QImageWriter writer(path, format);
    writer.setQuality(quality);
    if (std::strcmp(format, "png") == 0)
        writer.setCompression(1); // the bytes do not matter, the time does
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        std::exit(1);
    }
    const auto hash = PerceptualHashOfFile(path);
    QFile::remove(path);
    return hash;
}

int Distance(std::optional<PictureHash> a, std::optional<PictureHash> b) {
    return a && b ? HashDistance(*a, *b) : kUnreachable;
}

// Runs work(i) for i in [0, count) on every core.
void OnEveryCore(int count, const std::function<void(int)>& work) {
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (int core = 0; core < cores; ++core)
        threads.emplace_back([&, core] {
            for (int i = core; i < count; i += cores)
                work(i);
        });
    for (std::thread& thread : threads)
        thread.join();
}

struct Copies {
    std::vector<std::vector<int>> distances; // [edit][picture]
    int identicalCaught = 0;
    int count = 0;
};

// Pictures of 640 x 480 to 1600 x 1200, each hashed from a PNG file, against its
// edited copies hashed from theirs.
Copies MeasureCopies(int count, const QString& folder) {
    Copies copies;
    copies.count = count;
    copies.distances.assign(Edits().size(), std::vector<int>(size_t(count)));
    std::vector<char> identical(static_cast<size_t>(count));
    OnEveryCore(count, [&](int i) {
        QRandomGenerator random(quint32(1000 + i));
        const QSize size(640 + random.bounded(961), 480 + random.bounded(721));
        const QImage picture = SyntheticPicture(size, random.generate());
        const QString base = folder + QStringLiteral("/%1").arg(i);
        QImageWriter writer(base + QStringLiteral(".png"), "png");
        writer.setCompression(1);
        writer.write(picture);
        const auto original = PerceptualHashOfFile(writer.fileName());
        QFile::copy(writer.fileName(), base + QStringLiteral("-same.png"));
        identical[size_t(i)] =
            original && PerceptualHashOfFile(base + QStringLiteral("-same.png")) == original;
        QFile::remove(writer.fileName());
        QFile::remove(base + QStringLiteral("-same.png"));
        for (size_t e = 0; e < Edits().size(); ++e) {
            const Edit& edit = Edits()[e];
            const QString path = base + QStringLiteral("-edit.") + QLatin1String(edit.format);
            copies.distances[e][size_t(i)] = Distance(
                original, WrittenAndHashed(edit.apply(picture), path, edit.format, edit.quality));
        }
    });
    copies.identicalCaught = int(std::count(identical.begin(), identical.end(), 1));
    return copies;
}

// For each picture of 160 x 120 to 400 x 300, hashed as decoded, the distance
// to the nearest other.
std::vector<int> MeasureNearestUnrelated(int count, int* withoutHash) {
    std::vector<std::optional<PictureHash>> hashes(static_cast<size_t>(count));
    OnEveryCore(count, [&](int i) {
        QRandomGenerator random(quint32(5000000 + i));
        const QSize size(160 + random.bounded(241), 120 + random.bounded(181));
        hashes[size_t(i)] = PerceptualHashOf(SyntheticPicture(size, random.generate()));
    });
    *withoutHash = int(std::count(hashes.begin(), hashes.end(), std::nullopt));
    std::vector<int> nearest(size_t(count), kUnreachable);
    for (size_t a = 0; a < hashes.size(); ++a)
        for (size_t b = a + 1; b < hashes.size(); ++b) {
            const int distance = Distance(hashes[a], hashes[b]);
            nearest[a] = std::min(nearest[a], distance);
            nearest[b] = std::min(nearest[b], distance);
        }
    return nearest;
}

double PercentWithin(const std::vector<int>& distances, int most) {
    const auto within = std::count_if(distances.begin(), distances.end(),
                                      [most](int distance) { return distance <= most; });
    return 100.0 * double(within) / double(distances.size());
}

void PrintAccuracy(const Copies& copies, const std::vector<int>& nearest) {
    std::printf("byte-identical copies caught (equal hashes): %.1f%% of %d\n",
                100.0 * copies.identicalCaught / copies.count, copies.count);
    std::printf("\nat kSimilarDistance = %d:\n", kSimilarDistance);
    for (size_t e = 0; e < Edits().size(); ++e) {
        const Edit& edit = Edits()[e];
        std::printf("  %-40s%6.1f%% caught%s\n", edit.label,
                    PercentWithin(copies.distances[e], kSimilarDistance),
                    edit.hasGoal ? "  (goal: at least 95%)" : "");
    }
    std::printf("  %-40s%6.2f%% match another  (goal: at most 0.1%%)\n", "unrelated pictures",
                PercentWithin(nearest, kSimilarDistance));

    std::printf("\nby distance (%% caught; %% of unrelated pictures matching another):\n");
    std::printf("  bits  half   jpeg   webp  crop10  5%%side  1side  unrelated\n");
    for (int most = kSimilarDistance - 3; most <= kSimilarDistance + 3; ++most) {
        bool goalsMet = PercentWithin(nearest, most) <= kFalseMatchGoal;
        std::printf("  %4d", most);
        for (size_t e = 0; e < Edits().size(); ++e) {
            const double caught = PercentWithin(copies.distances[e], most);
            std::printf("%7.1f", caught);
            goalsMet = goalsMet && (!Edits()[e].hasGoal || caught >= kCopiesGoal);
        }
        std::printf("%10.2f%s%s\n", PercentWithin(nearest, most), goalsMet ? "  goals met" : "",
                    most == kSimilarDistance ? "  <- kSimilarDistance" : "");
    }
}

double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return bench::Median(times);
}

void PrintHashTime(const QString& folder) {
    const QString path = folder + QStringLiteral("/photo.jpg");
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.write(SyntheticPicture(QSize(1600, 1200), 77));
    const double hashMs = MedianMs(31, [&] {
        if (!PerceptualHashOfFile(path))
            std::exit(1);
    });
    const double decodeMs = MedianMs(31, [&] {
        if (QImageReader(path).read().isNull())
            std::exit(1);
    });
    std::printf("\nhashing a 1600 x 1200 JPEG (%lld KB) from its file: %.2f ms (median of 31), "
                "against %.2f ms to decode it whole\n",
                QFileInfo(path).size() / 1024, hashMs, decodeMs);
}

} // namespace

int main(int argc, char** argv) {
    const int copyCount = argc > 1 ? std::atoi(argv[1]) : 400;
    const int unrelatedCount = argc > 2 ? std::atoi(argv[2]) : 10000;
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;

    QElapsedTimer timer;
    timer.start();
    const Copies copies = MeasureCopies(copyCount, folder.path());
    int withoutHash = 0;
    const std::vector<int> nearest = MeasureNearestUnrelated(unrelatedCount, &withoutHash);
    std::printf("%d pictures and their copies, %d unrelated pictures (%d without a hash: too "
                "flat), made and hashed in %.0f s\n\n",
                copyCount, unrelatedCount, withoutHash, double(timer.elapsed()) / 1000);
    PrintAccuracy(copies, nearest);
    PrintHashTime(folder.path());
    return 0;
}
