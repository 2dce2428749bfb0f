// A search over five years of history against plain reads of every log with
// cat; how soon the first days come back on the window's thread; and the peak
// memory of a whole search against the history's size on disk. Prints
// figures; it is not a test.
//
//   kelvo_history_search_bench [--large | --no-large] [RUNS]
//
// The history of 100 captures a day is always measured; the one of 1,000 a
// day with --large, without --no-large when its generation is expected to
// take under 30 s.

#include "Median.h"
#include "Random.h"
#include "history/HistorySearch.h"
#include "history/SearchRunner.h"
#include "logs/CaptureLog.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace kelvo;

constexpr int kDays = 1826;
const QDate kLastDay(2024, 12, 31);
constexpr double kLargeGenerationLimit = 30.0; // seconds

// The selective word: the one site holding it gets 2% of the captures, and no
// other value can (the random pieces are hex digits).
constexpr const char* kSelectiveWord = "tsukimi";
constexpr int kSelectivePercent = 2;

struct Query {
    const char* label;
    const char* typed;
};

const std::array<Query, 4> kQueries = {{
    {"a selective word", "tsukimi"},
    {"two words", "tsukimi 壁紙"},
    {"a word in no row", "zzqx"},
    {"a word in every row", "taro"},
}};

// The other 39 sites, each with its own shape of path.
constexpr std::array<const char*, 39> kSites = {
    "https://pbs.twimg.com/media/%h.jpg",
    "https://i.imgur.com/%h.png",
    "https://www.pixiv.net/artworks/%n",
    "https://i.pximg.net/img-original/img/2024/03/12/%n_p0.png",
    "https://upload.wikimedia.org/wikipedia/commons/%h/%n.jpg",
    "https://live.staticflickr.com/%n/%h_b.jpg",
    "https://images.unsplash.com/photo-%n-%h",
    "https://www.deviantart.com/art/%n",
    "https://i.pinimg.com/originals/%h.jpg",
    "https://blog.hatena.ne.jp/entry/2024/03/12/%n",
    "https://ameblo.jp/user/image-%n-%n.html",
    "https://news.yahoo.co.jp/articles/%h/images/%n",
    "https://www.nikkei.com/article/%h/",
    "https://www3.nhk.or.jp/news/html/%n/k%n.html",
    "https://cdn.example-shop.jp/items/%n/main.jpg",
    "https://img.tabelog.com/restaurant/images/Rvw/%n/%h.jpg",
    "https://www.instagram.com/p/%h/",
    "https://scontent.cdninstagram.com/v/%h_n.jpg",
    "https://www.reddit.com/r/wallpapers/comments/%h/",
    "https://i.redd.it/%h.jpeg",
    "https://danbooru.donmai.us/posts/%n",
    "https://safebooru.org/images/%n/%h.png",
    "https://www.artstation.com/artwork/%h",
    "https://cdna.artstation.com/p/assets/images/%n/large/%h.jpg",
    "https://photos.google.com/share/%h",
    "https://lh3.googleusercontent.com/%h=w2400",
    "https://www.amazon.co.jp/dp/%h",
    "https://m.media-amazon.com/images/I/%h.jpg",
    "https://item.rakuten.co.jp/shop/%n/",
    "https://thumbnail.image.rakuten.co.jp/@0_mall/%n/%h.jpg",
    "https://www.4gamer.net/games/%n/G%n/",
    "https://game.watch.impress.co.jp/img/gmw/docs/%n/%h.jpg",
    "https://dengekionline.com/images/%h.jpg",
    "https://natalie.mu/comic/gallery/news/%n/%n",
    "https://prtimes.jp/i/%n/%n/resize/%h.jpg",
    "https://www.nasa.gov/image-detail/%h/",
    "https://wallpapercave.com/wp/%h.jpg",
    "https://www.wallpaperflare.com/%h-wallpaper-%n",
    "https://file.example.net/uploads/%n/%h.webp",
};

// Every folder lies under the same home: "taro" is in every row.
constexpr std::array<const char*, 5> kFolders = {
    "/home/taro/Pictures/壁紙/", "/home/taro/Pictures/",           "/home/taro/Pictures/イラスト/",
    "/home/taro/ダウンロード/",  "/home/taro/Pictures/写真/2024/",
};
constexpr std::array<int, 5> kFolderPercents = {40, 25, 15, 10, 10};

constexpr std::array<const char*, 6> kIdentifiers = {"Firefox", "Chrome", "Edge",
                                                     "Safari",  "壁紙",   "ﾌﾞﾗｳｻﾞ"};

using bench::Random;

struct Row {
    std::string fileName, time, identifier, address, folder;
};

void AppendHex(std::string& out, Random& random) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016" PRIx64, random.Next());
    out.append(hex);
}

std::string Address(Random& random) {
    if (random.Below(100) < kSelectivePercent) {
        std::string address = std::string("https://") + kSelectiveWord + "-gallery.jp/works/";
        AppendHex(address, random);
        return address + "/large.jpg";
    }
    std::string address;
    for (const char* at = kSites[size_t(random.Below(int(kSites.size())))]; *at; ++at) {
        if (*at == '%' && at[1] == 'h') {
            AppendHex(address, random);
            ++at;
        } else if (*at == '%' && at[1] == 'n') {
            address += std::to_string(random.Below(100000000));
            ++at;
        } else {
            address.push_back(*at);
        }
    }
    return address;
}

// Row i of a day of perDay captures, spread over the day in order; rows of a
// day come from one sequence of the day's random numbers.
Row MakeRow(const QDate& day, int i, int perDay, Random& random) {
    Row row;
    const int second = int(int64_t(i) * 86400 / perDay) + random.Below(std::max(1, 86400 / perDay));
    char text[64];
    if (i % 50 == 3) { // a few names in half-width and full-width katakana
        std::snprintf(text, sizeof text, "ｽｸﾘｰﾝｼｮｯﾄ_%d.png", i);
    } else if (i % 50 == 28) {
        std::snprintf(text, sizeof text, "スクリーンショット_%d.png", i);
    } else if (const int kind = random.Below(100); kind < 70) {
        std::snprintf(text, sizeof text, "IMG_%04d%02d%02d_%04d.jpg", day.year(), day.month(),
                      day.day(), i);
    } else if (kind < 92) {
        std::snprintf(text, sizeof text, "画像_%d.png", i);
    } else {
        std::snprintf(text, sizeof text, "DSC%05d.JPG", random.Below(100000));
    }
    row.fileName = text;
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", day.year(), day.month(),
                  day.day(), second / 3600, second / 60 % 60, second % 60);
    row.time = text;
    if (random.Below(100) >= 70)
        row.identifier = kIdentifiers[size_t(random.Below(int(kIdentifiers.size())))];
    row.address = Address(random);
    int folder = random.Below(100);
    size_t n = 0;
    while (folder >= kFolderPercents[n])
        folder -= kFolderPercents[n++];
    row.folder = kFolders[n];
    return row;
}

void AppendQuoted(std::string& out, std::string_view value) {
    out.push_back('"');
    for (const char c : value) {
        out.push_back(c);
        if (c == '"')
            out.push_back('"');
    }
    out.push_back('"');
}

// The first rows of a day's log, in the bytes WriteCaptureLog gives.
std::string DayLogBytes(const QDate& day, int perDay, int rows) {
    std::string out;
    out.reserve(size_t(rows) * 180 + 100);
    for (size_t n = 0; n < kCaptureLogColumns.size(); ++n) {
        AppendQuoted(out, kCaptureLogColumns[n]);
        out.append(n + 1 < kCaptureLogColumns.size() ? ";" : "\r\n");
    }
    Random random(uint64_t(day.toJulianDay()));
    for (int i = 0; i < rows; ++i) {
        const Row row = MakeRow(day, i, perDay, random);
        for (const std::string* value :
             {&row.fileName, &row.time, &row.identifier, &row.address, &row.folder}) {
            AppendQuoted(out, *value);
            out.push_back(';');
        }
        out.back() = '\r';
        out.push_back('\n');
    }
    return out;
}

QString DayText(const QDate& day) {
    return day.toString(QStringLiteral("yyyyMMdd"));
}

// Closes fd.
bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += size_t(n);
    }
    return ::close(fd) == 0 && done == bytes.size();
}

bool WriteBytes(const QString& path, const std::string& bytes) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd >= 0 && WriteAll(fd, bytes);
}

// The generator against the program's own writer, on rows of every kind: a
// figure measured on logs of another shape would say nothing.
bool SameBytesAsCaptureLog() {
    QTemporaryDir temp;
    const QString home = temp.path() + u'/';
    const QDate day(2024, 3, 12);
    constexpr int rows = 60;
    Random random(uint64_t(day.toJulianDay()));
    for (int i = 0; i < rows; ++i) {
        const Row row = MakeRow(day, i, 1000, random);
        const QDateTime time = QDateTime::fromString(QString::fromStdString(row.time),
                                                     QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        if (!WriteCaptureLog(home, {QString::fromStdString(row.fileName), time,
                                    QString::fromStdString(row.identifier),
                                    QString::fromStdString(row.address),
                                    QString::fromStdString(row.folder)}))
            return false;
    }
    QFile written(DayLogPath(home, DayText(day)));
    return written.open(QIODevice::ReadOnly) &&
           written.readAll().toStdString() == DayLogBytes(day, 1000, rows);
}

struct History {
    std::unique_ptr<QTemporaryDir> temp;
    QString home;
    int perDay = 0;
    int64_t rows = 0;
    int64_t bytes = 0;
    double generationSeconds = 0;
    double rowSeconds = 0; // of which making and writing the rows, not the files
    QStringList logPaths;
};

std::optional<History> Generate(int perDay) {
    History history;
    history.temp = std::make_unique<QTemporaryDir>();
    history.home = history.temp->path() + u'/';
    history.perDay = perDay;
    QElapsedTimer timer;
    timer.start();
    for (int n = kDays - 1; n >= 0; --n) {
        const QDate day = kLastDay.addDays(-n);
        const QString path = DayLogPath(history.home, DayText(day));
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return std::nullopt;
        QElapsedTimer rowTimer;
        rowTimer.start();
        const std::string bytes = DayLogBytes(day, perDay, perDay);
        const qint64 made = rowTimer.nsecsElapsed();
        // Creating the file is not timed: its cost does not grow with the rows.
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        rowTimer.restart();
        if (fd < 0 || !WriteAll(fd, bytes))
            return std::nullopt;
        history.rowSeconds += double(made + rowTimer.nsecsElapsed()) / 1e9;
        history.rows += perDay;
        history.bytes += int64_t(bytes.size());
        history.logPaths << path;
    }
    history.generationSeconds = timer.nsecsElapsed() / 1e9;
    return history;
}

double Milliseconds(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

// 1,826,000
std::string Grouped(int64_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[at]);
    }
    return out;
}

// Runs the program with stdin from input (or none) and stdout into /dev/null.
bool Spawn(const std::vector<std::string>& args, const char* input) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (input)
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input, O_RDONLY, 0);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return error == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// The plain read of every log: one cat, or through xargs when the paths do
// not fit in one command line.
class PlainRead {
public:
    explicit PlainRead(const History& history) {
        size_t length = 0;
        for (const QString& path : history.logPaths)
            length += size_t(QFile::encodeName(path).size()) + sizeof(char*) + 1;
        throughXargs_ = length > size_t(sysconf(_SC_ARG_MAX)) / 2;
        if (!throughXargs_) {
            args_.push_back("/bin/cat");
            for (const QString& path : history.logPaths)
                args_.push_back(QFile::encodeName(path).toStdString());
            return;
        }
        list_ = QFile::encodeName(history.temp->filePath(QStringLiteral("paths"))).toStdString();
        std::string paths;
        for (const QString& path : history.logPaths)
            paths += QFile::encodeName(path).toStdString() + '\0';
        WriteBytes(QString::fromStdString(list_), paths);
        args_ = {"/usr/bin/xargs", "-0", "/bin/cat"};
    }
    bool ThroughXargs() const { return throughXargs_; }
    bool Run() const { return Spawn(args_, throughXargs_ ? list_.c_str() : nullptr); }

private:
    std::vector<std::string> args_;
    std::string list_;
    bool throughXargs_ = false;
};

struct SearchCount {
    int64_t rows = 0;
    int days = 0;
};

// The whole search as the window runs it, with the matches dropped as they come.
SearchCount SearchAll(const QString& home, const RowFilter& filter) {
    SearchCount count;
    SearchLogs(home, LoggedDays(home), filter, [&](DayMatches&& day) {
        count.rows += int64_t(day.rows.size());
        ++count.days;
        return true;
    });
    return count;
}

bool MeasureSearches(const History& history, int runs) {
    const PlainRead cat(history);
    std::vector<std::shared_ptr<const RowFilter>> filters;
    for (const Query& query : kQueries)
        filters.push_back(std::make_shared<WordFilter>(QString::fromUtf8(query.typed)));
    // Warm the page cache, and every side once, untimed.
    if (!cat.Run()) {
        std::fprintf(stderr, "cat of the logs failed\n");
        return false;
    }
    std::vector<SearchCount> counts;
    for (const auto& filter : filters)
        counts.push_back(SearchAll(history.home, *filter));

    // Side 0 is cat, then the queries; each round starts at another side, so
    // a change of load on the shared machine falls on every side alike.
    const size_t sides = filters.size() + 1;
    std::vector<std::vector<double>> times(sides);
    for (int run = 0; run < runs; ++run) {
        for (size_t k = 0; k < sides; ++k) {
            const size_t side = (size_t(run) + k) % sides;
            QElapsedTimer timer;
            timer.start();
            if (side == 0) {
                if (!cat.Run())
                    return false;
            } else {
                SearchAll(history.home, *filters[side - 1]);
            }
            times[side].push_back(Milliseconds(timer));
        }
    }
    const double catTime = bench::Median(times[0]);
    std::printf("%-42s%10.1f ms\n",
                cat.ThroughXargs() ? "cat of every log (xargs)" : "cat of every log", catTime);
    for (size_t q = 0; q < kQueries.size(); ++q) {
        const double time = bench::Median(times[q + 1]);
        // The typed words last: wide characters would break the columns.
        const std::string label = std::string("search, ") + kQueries[q].label;
        std::printf(
            "%-42s%10.1f ms %7.2fx cat (goal: at most 2x)  \"%s\": %s rows (%.1f%%) in %s "
            "days\n",
            label.c_str(), time, time / catTime, kQueries[q].typed, Grouped(counts[q].rows).c_str(),
            100.0 * double(counts[q].rows) / double(history.rows), Grouped(counts[q].days).c_str());
    }
    return true;
}

// The times from Start to the first Found delivered on this thread, and to
// Finished, with the event loop running as in the window.
void MeasureFirstResults(const History& history, int runs) {
    const auto filter = std::make_shared<WordFilter>(QString::fromUtf8(kSelectiveWord));
    std::vector<double> firsts, finishes;
    for (int run = 0; run < runs; ++run) {
        SearchRunner runner(history.home);
        QEventLoop loop;
        QElapsedTimer timer;
        double first = -1;
        QObject::connect(&runner, &SearchRunner::Found, &loop, [&](const std::vector<DayMatches>&) {
            if (first < 0)
                first = Milliseconds(timer);
        });
        QObject::connect(&runner, &SearchRunner::Finished, &loop, [&](const QStringList&) {
            finishes.push_back(Milliseconds(timer));
            loop.quit();
        });
        timer.start();
        runner.Start(filter);
        loop.exec();
        firsts.push_back(first);
    }
    std::printf("first results, \"%s\" (SearchRunner, median of %d runs):\n", kSelectiveWord, runs);
    std::printf("%-42s%10.1f ms (goal: at most 50 ms)\n", "  first Found on the main thread",
                bench::Median(firsts));
    std::printf("%-42s%10.1f ms\n", "  Finished", bench::Median(finishes));
}

// In the child: the whole search alone, so the peak is its own.
long StatusKilobytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

int RunPeakChild(const QString& home, const QString& typed) {
    const long before = StatusKilobytes("VmRSS:");
    const WordFilter filter(typed);
    const SearchCount count = SearchAll(home, filter);
    std::printf("%ld %ld %" PRId64 "\n", before, StatusKilobytes("VmHWM:"), count.rows);
    return 0;
}

void MeasurePeak(const History& history) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--peak"), history.home, QString::fromUtf8(kSelectiveWord)});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::fprintf(stderr, "the search in a child process failed\n");
        return;
    }
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 3) {
        std::fprintf(stderr, "the child printed no figures\n");
        return;
    }
    const double before = figures[0].toDouble() / 1024, peak = figures[1].toDouble() / 1024;
    const double disk = double(history.bytes) / (1024 * 1024);
    std::printf("whole search \"%s\" over %s captures a day, in a child process:\n", kSelectiveWord,
                Grouped(history.perDay).c_str());
    std::printf("%-42s%10.1f MiB (%.1f MiB before the search)\n", "  peak resident memory", peak,
                before);
    std::printf("%-42s%10.1f MiB (goal: the peak far below it; %.1f%% of it)\n",
                "  the history on disk", disk, 100 * peak / disk);
}

void Measure(const History& history, int runs) {
    std::printf("\n== %s captures a day: %s rows in %s logs, %.1f MiB, median of %d runs\n",
                Grouped(history.perDay).c_str(), Grouped(history.rows).c_str(),
                Grouped(kDays).c_str(), double(history.bytes) / (1024 * 1024), runs);
    if (!MeasureSearches(history, runs))
        std::exit(1);
    MeasureFirstResults(history, runs);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QStringLiteral("--peak"))
        return RunPeakChild(args[1], args[2]);
    std::optional<bool> large;
    int runs = 5;
    for (const QString& arg : args) {
        if (arg == QStringLiteral("--large"))
            large = true;
        else if (arg == QStringLiteral("--no-large"))
            large = false;
        else if (arg.toInt() > 0)
            runs = arg.toInt();
        else {
            std::fprintf(stderr,
                         "usage: kelvo_history_search_bench [--large | --no-large] [RUNS]\n");
            return 2;
        }
    }
    if (!SameBytesAsCaptureLog()) {
        std::fprintf(stderr, "the generated log differs from what WriteCaptureLog writes\n");
        return 1;
    }

    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::optional<History> small = Generate(100);
    if (!small) {
        std::fprintf(stderr, "cannot write the history\n");
        return 1;
    }
    std::printf("history: %s days, %s to %s; logs in the bytes WriteCaptureLog writes\n",
                Grouped(kDays).c_str(),
                qPrintable(kLastDay.addDays(1 - kDays).toString(Qt::ISODate)),
                qPrintable(kLastDay.toString(Qt::ISODate)));
    std::printf("100 captures a day generated in %.1f s\n", small->generationSeconds);
    Measure(*small, runs);

    // Ten times the rows in as many files.
    const double expected = small->generationSeconds + 9 * small->rowSeconds;
    if (!large)
        large = expected < kLargeGenerationLimit;
    std::optional<History> big;
    if (*large) {
        big = Generate(1000);
        if (!big) {
            std::fprintf(stderr, "cannot write the history\n");
            return 1;
        }
        std::printf("\n1,000 captures a day generated in %.1f s (%s; about %.0f s expected)\n",
                    big->generationSeconds,
                    args.contains(QStringLiteral("--large")) ? "asked with --large"
                                                             : "by default, under 30 s",
                    expected);
        Measure(*big, runs);
    } else {
        std::printf(
            "\n1,000 captures a day not generated (%s; generation expected to take about %.0f s)\n",
            args.contains(QStringLiteral("--no-large")) ? "--no-large"
                                                        : "ask with --large: over 30 s expected",
            expected);
    }

    std::printf("\n== memory\n");
    if (!big)
        std::printf("(over the 100/day history: the 1,000/day one was not generated)\n");
    MeasurePeak(big ? *big : *small);
    return 0;
}
