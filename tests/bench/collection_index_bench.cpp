// The collection's index at 200,000 captures: an exact-content lookup and a
// similar lookup, alone and right after a capture's write; then the first
// indexing of a history of 20,000 pictures against sha256sum of the same
// files plus decoding each for its picture hash. Prints figures; it is not a
// test.
//
//   kelvo_collection_index_bench [PICTURES]
//
// The pictures are small JPEGs (320x240) of varied content, 40 days of them,
// so that the run stays within a few minutes.

#include "Median.h"
#include "Random.h"
#include "collection/CollectionIndex.h"
#include "history/IndexSync.h"
#include "logs/CaptureLog.h"
#include "similarity/PerceptualHash.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <sys/resource.h>

namespace {

using namespace kelvo;

constexpr int kCaptures = 200'000;
constexpr int kCapturesPerDay = 500;
constexpr int kExactLookups = 1000;
constexpr int kSimilarLookups = 200;
constexpr int kLookupsAfterWrites = 50;
constexpr int kHistoryDays = 40;
constexpr int kDefaultPictures = 20'000;
constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 240;
constexpr int kIndexingRounds = 3;
const QDate kFirstDay(2024, 1, 1);

using bench::Random;

double Milliseconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

[[noreturn]] void Fail(const QString& what) {
    std::fprintf(stderr, "%s\n", qPrintable(what));
    std::exit(1);
}

QString DayText(int day) {
    return kFirstDay.addDays(day).toString(QStringLiteral("yyyyMMdd"));
}

// A synthetic capture: a file that is not there (a lookup's look at it costs
// as much), a random content and picture hash.
IndexedCapture SyntheticCapture(int n, Random& random) {
    IndexedCapture capture;
    capture.day = DayText(n / kCapturesPerDay);
    capture.row = n % kCapturesPerDay;
    capture.path = QStringLiteral("/home/taro/Pictures/壁紙/IMG_%1.jpg").arg(n);
    capture.captureTime = QStringLiteral("2024/01/01 12:00:00");
    capture.identifier = QStringLiteral("壁紙");
    capture.sourceAddress =
        QStringLiteral("https://pbs.twimg.com/media/%1.jpg").arg(random.Next(), 16, 16);
    capture.stamp = FileStamp{100'000 + random.Below(1'000'000), 1'700'000'000};
    capture.sha256 = random.Bytes(32);
    capture.pictureHash = PictureHash{random.Next(), random.Next()};
    capture.realPath = capture.path;
    return capture;
}

std::unique_ptr<CollectionIndex>
OpenIndex(const QString& home,
          CollectionIndex::Access access = CollectionIndex::Access::ReadWrite) {
    QString error;
    std::unique_ptr<CollectionIndex> index = CollectionIndex::Open(home, access, &error);
    if (!index)
        Fail(QStringLiteral("cannot open the index: ") + error);
    return index;
}

void MeasureLookups(const QString& home) {
    Random random(7);
    std::vector<IndexedCapture> captures;
    captures.reserve(kCaptures);
    for (int n = 0; n < kCaptures; ++n)
        captures.push_back(SyntheticCapture(n, random));
    {
        auto index = OpenIndex(home);
        QElapsedTimer timer;
        timer.start();
        constexpr size_t kBatch = 5000;
        for (size_t at = 0; at < captures.size(); at += kBatch) {
            const std::vector<IndexedCapture> batch(
                captures.begin() + qsizetype(at),
                captures.begin() + qsizetype(std::min(at + kBatch, captures.size())));
            if (!index->PutCaptures(batch))
                Fail(index->Error());
        }
        std::printf("%-46s%10.0f ms\n", "200,000 captures written", Milliseconds(timer));
    }
    QElapsedTimer opening;
    opening.start();
    auto index = OpenIndex(home);
    std::printf("%-46s%10.1f ms (%.0f MB)\n", "opening it, quick check included",
                Milliseconds(opening), double(QFile(CollectionIndex::FilePath(home)).size()) / 1e6);

    std::vector<double> exact;
    for (int i = 0; i < kExactLookups; ++i) {
        const QByteArray& sha256 = captures[size_t(random.Below(kCaptures))].sha256;
        QElapsedTimer timer;
        timer.start();
        const size_t found = index->WithContent(sha256).size();
        exact.push_back(Milliseconds(timer));
        if (found != 1)
            Fail(QStringLiteral("a content looked up was not found once"));
    }
    std::printf("%-46s%10.3f ms (goal: at most 5 ms)\n", "exact-content lookup, median",
                bench::Median(exact));

    QElapsedTimer first;
    first.start();
    index->SimilarTo({});
    std::printf("%-46s%10.1f ms\n", "first similar lookup (hashes read in)", Milliseconds(first));
    std::vector<double> similar;
    for (int i = 0; i < kSimilarLookups; ++i) {
        const PictureHash hash = *captures[size_t(random.Below(kCaptures))].pictureHash;
        QElapsedTimer timer;
        timer.start();
        const size_t found = index->SimilarTo({hash.whole ^ 0b101, hash.centre ^ 0b101}).size();
        similar.push_back(Milliseconds(timer));
        if (found < 1)
            Fail(QStringLiteral("a similar picture was not found"));
    }
    std::printf("%-46s%10.3f ms (goal: at most 20 ms)\n", "similar lookup, median",
                bench::Median(similar));

    // A capture's row written, then looked up: the writer itself, and a
    // reader on its own connection, each read in the change first.
    auto reader = OpenIndex(home, CollectionIndex::Access::ReadOnly);
    reader->SimilarTo({});
    std::vector<double> writerAfter, readerAfter;
    for (int i = 0; i < kLookupsAfterWrites; ++i) {
        IndexedCapture added = SyntheticCapture(kCaptures + i, random);
        if (!index->PutCaptures({added}))
            Fail(index->Error());
        QElapsedTimer timer;
        timer.start();
        const size_t byWriter = index->SimilarTo(*added.pictureHash).size();
        writerAfter.push_back(Milliseconds(timer));
        timer.start();
        const size_t byReader = reader->SimilarTo(*added.pictureHash).size();
        readerAfter.push_back(Milliseconds(timer));
        if (byWriter < 1 || byReader < 1)
            Fail(QStringLiteral("a capture just written was not found"));
    }
    std::printf("%-46s%10.3f ms\n", "similar lookup after a write, writer, median",
                bench::Median(writerAfter));
    std::printf("%-46s%10.3f ms\n", "similar lookup after a write, reader, median",
                bench::Median(readerAfter));
}

// A picture of its own: a gradient and a few shapes, from the random numbers.
QImage Picture(Random& random) {
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, random.Below(kPictureWidth), kPictureHeight);
    gradient.setColorAt(0, QColor::fromRgb(QRgb(random.Next())));
    gradient.setColorAt(1, QColor::fromRgb(QRgb(random.Next())));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::NoPen);
    for (int shape = 0; shape < 6; ++shape) {
        painter.setBrush(QColor::fromRgb(QRgb(random.Next())));
        const QRect box(random.Below(kPictureWidth), random.Below(kPictureHeight),
                        20 + random.Below(kPictureWidth / 2),
                        20 + random.Below(kPictureHeight / 2));
        if (shape % 2 == 0)
            painter.drawEllipse(box);
        else
            painter.drawRect(box);
    }
    return image;
}

struct History {
    QString home;
    QString pictures;
    QStringList files;
    qint64 bytes = 0;
};

History MakeHistory(const QString& root, int pictures) {
    History history{root + QStringLiteral("/home/"), root + QStringLiteral("/pictures/"), {}, 0};
    QDir().mkpath(history.home);
    Random random(11);
    const int perDay = (pictures + kHistoryDays - 1) / kHistoryDays;
    for (int n = 0; n < pictures; ++n) {
        const QDateTime at(kFirstDay.addDays(n / perDay), QTime(9, 0).addSecs(n % perDay));
        const QString folder = history.pictures + at.toString(QStringLiteral("yyyyMMdd/"));
        const QString name = QStringLiteral("IMG_%1.jpg").arg(n);
        QDir().mkpath(folder);
        if (!Picture(random).save(folder + name, "JPEG", 85))
            Fail(QStringLiteral("cannot write ") + folder + name);
        if (!WriteCaptureLog(history.home,
                             {name, at, QStringLiteral("壁紙"),
                              QStringLiteral("https://example.com/%1.jpg").arg(n), folder}))
            Fail(QStringLiteral("cannot write the log of ") + folder + name);
        history.files << folder + name;
        history.bytes += QFile(folder + name).size();
    }
    return history;
}

// Wall time and processor time (user and system, of this process or of the
// children waited for): on a shared machine the first follows the load, the
// second much less.
struct Cost {
    double wallMs = 0;
    double cpuMs = 0;
};

double CpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

template <typename Work> Cost Measured(int who, Work work) {
    QElapsedTimer timer;
    const double cpuBefore = CpuMs(who);
    timer.start();
    work();
    return {Milliseconds(timer), CpuMs(who) - cpuBefore};
}

// sha256sum of every file, through xargs as a shell would run it.
Cost Sha256sum(const History& history) {
    return Measured(RUSAGE_CHILDREN, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"),
                       QStringLiteral("find \"$0\" -type f -print0 | xargs -0 sha256sum"),
                       history.pictures});
        if (!process.waitForFinished(-1) || process.exitCode() != 0)
            Fail(QStringLiteral("sha256sum failed"));
    });
}

Cost Decoding(const History& history) {
    return Measured(RUSAGE_SELF, [&] {
        int decoded = 0;
        for (const QString& file : history.files)
            decoded += PerceptualHashOfFile(file).has_value();
        if (decoded != history.files.size())
            Fail(QStringLiteral("a picture could not be decoded"));
    });
}

Cost Indexing(const History& history) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(CollectionIndex::FilePath(history.home) + QLatin1String(suffix));
    auto index = OpenIndex(history.home);
    IndexSync sync(*index, history.home, &PerceptualHashOfFile);
    SyncReport report;
    const Cost cost = Measured(RUSAGE_SELF, [&] { report = sync.SyncAll(); });
    if (!report.Ok() || report.filesHashed != history.files.size())
        Fail(QStringLiteral("the indexing failed: ") + report.error);
    return cost;
}

struct Costs {
    std::vector<double> wall, cpu;
    void Add(const Cost& cost) {
        wall.push_back(cost.wallMs);
        cpu.push_back(cost.cpuMs);
    }
    Cost Median() const { return {bench::Median(wall), bench::Median(cpu)}; }
};

void PrintCost(const char* what, const Cost& cost) {
    std::printf("%-46s%10.0f ms%10.0f ms\n", what, cost.wallMs, cost.cpuMs);
}

void MeasureFirstIndexing(const QString& root, int pictures) {
    QElapsedTimer making;
    making.start();
    const History history = MakeHistory(root, pictures);
    std::printf("%d pictures of %dx%d in %d days (%.0f MB), made in %.0f s\n", pictures,
                kPictureWidth, kPictureHeight, kHistoryDays, double(history.bytes) / 1e6,
                Milliseconds(making) / 1000);
    // Every file read once untimed, so every side finds them in the page cache;
    // then the sides in turn, so a change of load falls on each alike.
    Sha256sum(history);
    Costs sums, decodings, indexings;
    for (int round = 0; round < kIndexingRounds; ++round) {
        sums.Add(Sha256sum(history));
        decodings.Add(Decoding(history));
        indexings.Add(Indexing(history));
    }
    const Cost sum = sums.Median(), decoding = decodings.Median(), indexing = indexings.Median();
    std::printf("medians of %d rounds: %36s%13s\n", kIndexingRounds, "wall", "processor");
    PrintCost("sha256sum of every file", sum);
    PrintCost("decoding every file for its picture hash", decoding);
    PrintCost("first indexing (IndexSync::SyncAll)", indexing);
    std::printf("indexing / (sha256sum + decoding): %.2fx wall, %.2fx processor (goal: at most "
                "1.5x)\n",
                indexing.wallMs / (sum.wallMs + decoding.wallMs),
                indexing.cpuMs / (sum.cpuMs + decoding.cpuMs));
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int pictures = argc > 1 ? std::atoi(argv[1]) : kDefaultPictures;
    QTemporaryDir lookups, history;
    if (!lookups.isValid() || !history.isValid())
        Fail(QStringLiteral("no temporary folder"));
    std::printf("== lookups among 200,000 captures\n");
    MeasureLookups(lookups.path() + u'/');
    std::printf("\n== first indexing\n");
    MeasureFirstIndexing(history.path(), pictures);
    return 0;
}
