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

#include "HistoryLogs.h"
#include "Median.h"
#include "history/HistoryListModel.h"
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
using bench::DayLogBytes;
using bench::DayText;
using bench::kHistoryDays;
using bench::kHistoryLastDay;
using bench::kSelectiveWord;
using bench::SameBytesAsCaptureLog;

constexpr double kLargeGenerationLimit = 30.0; // seconds

struct Query {
    const char* label;
    const char* typed;
    double goal; // the most times cat's time any run may take
};

const std::array<Query, 4> kQueries = {{
    {"a selective word", "tsukimi", 2.0},
    {"two words", "tsukimi 壁紙", 2.0},
    {"a word in no row", "zzqx", 2.0},
    {"a word in every row", "taro", 3.0},
}};

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
    for (int n = kHistoryDays - 1; n >= 0; --n) {
        const QDate day = kHistoryLastDay.addDays(-n);
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
    std::printf("%-30s%10.1f ms   (median of %d)\n",
                cat.ThroughXargs() ? "cat of every log (xargs)" : "cat of every log", catTime,
                runs);
    // Each run against the cat of its own round: the goal holds in every run
    // or not at all.
    std::printf("%-30s%10s   %-*s %6s %5s\n", "", "median", 6 * runs, "x cat, run by run", "worst",
                "goal");
    for (size_t q = 0; q < kQueries.size(); ++q) {
        std::string ratios;
        double worst = 0;
        for (int run = 0; run < runs; ++run) {
            const double ratio = times[q + 1][size_t(run)] / times[0][size_t(run)];
            worst = std::max(worst, ratio);
            char text[16];
            std::snprintf(text, sizeof text, "%6.2f", ratio);
            ratios += text;
        }
        // The typed words last: wide characters would break the columns.
        const std::string label = std::string("search, ") + kQueries[q].label;
        std::printf("%-30s%7.1f ms  %s %6.2f %4.1fx %s  \"%s\": %s rows (%.1f%%) in %s days\n",
                    label.c_str(), bench::Median(times[q + 1]), ratios.c_str(), worst,
                    kQueries[q].goal, worst <= kQueries[q].goal ? "met   " : "MISSED",
                    kQueries[q].typed, Grouped(counts[q].rows).c_str(),
                    100.0 * double(counts[q].rows) / double(history.rows),
                    Grouped(counts[q].days).c_str());
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

// In the child: a search listed in the window's model as the window lists
// it, then cleared as listing a day clears it; the resident memory before,
// with the lines, and after.
int RunWindowChild(const QString& home, const QString& typed) {
    HistoryListModel model;
    SearchRunner runner(home);
    QObject::connect(&runner, &SearchRunner::Found, &model,
                     [&](const std::vector<DayMatches>& days) {
                         for (const DayMatches& day : days)
                             model.AddResults(day);
                     });
    QEventLoop loop;
    QObject::connect(&runner, &SearchRunner::Finished, &loop, &QEventLoop::quit);
    const long before = StatusKilobytes("VmRSS:");
    model.StartResults();
    runner.Start(std::make_shared<WordFilter>(typed));
    loop.exec();
    const long listed = StatusKilobytes("VmRSS:");
    const int lines = model.LineCount();
    model.Clear();
    QCoreApplication::sendPostedEvents();
    std::printf("%ld %ld %ld %d\n", before, listed, StatusKilobytes("VmRSS:"), lines);
    return 0;
}

// A search's lines listed in the window's model and cleared: what the
// process keeps of them.
void MeasureWindowMemory(const History& history, const char* typed) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--window"), history.home, QString::fromUtf8(typed)});
    const QList<QByteArray> figures = child.waitForFinished(-1) && child.exitCode() == 0
                                          ? child.readAllStandardOutput().trimmed().split(' ')
                                          : QList<QByteArray>();
    if (figures.size() != 4) {
        std::fprintf(stderr, "the window's search in a child process failed\n");
        return;
    }
    const double before = figures[0].toDouble() / 1024, listed = figures[1].toDouble() / 1024,
                 after = figures[2].toDouble() / 1024;
    std::printf("search \"%s\" listed in the window's model (%s lines), then cleared:\n", typed,
                Grouped(figures[3].toLongLong()).c_str());
    std::printf("%-42s%10.1f MiB before, %.1f MiB listed\n", "  resident memory", before, listed);
    std::printf("%-42s%10.1f MiB over before (goal: at most 10 MiB)\n", "  after clearing",
                after - before);
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
                Grouped(kHistoryDays).c_str(), double(history.bytes) / (1024 * 1024), runs);
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
    if (args.size() == 3 && args[0] == QStringLiteral("--window"))
        return RunWindowChild(args[1], args[2]);
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
                Grouped(kHistoryDays).c_str(),
                qPrintable(kHistoryLastDay.addDays(1 - kHistoryDays).toString(Qt::ISODate)),
                qPrintable(kHistoryLastDay.toString(Qt::ISODate)));
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
    // Tens of thousands of lines: names of screenshots, in both widths.
    MeasureWindowMemory(big ? *big : *small, "スクリーンショット");
    return 0;
}
