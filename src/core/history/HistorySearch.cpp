#include "history/HistorySearch.h"

#include "files/FileBytes.h"
#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"
#include "session/HomeFiles.h"
#include "table/QuoteFinder.h"
#include "text/PathText.h"
#include "text/SearchFold.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace kelvo {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr int kSearchedColumns[] = {FileNameColumn, IdentifierColumn, AddressColumn, FolderColumn};

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos; // lines are short: no memmem set-up
}

// Whether text[begin, end) (a line without its line feed) is a row whose
// values' bytes are the values as they are read: every value quoted, quotes
// inside doubled. Hand edits aside, every line of a log is so; an unquoted
// value loses its spaces as it is read, and two quoted stretches make one
// value. quotes finds in text.
bool LineIsRow(std::string_view text, size_t begin, size_t end, QuoteFinder& quotes) {
    if (end > begin && text[end - 1] == '\r')
        --end;
    size_t at = begin; // the start of a value
    for (;;) {
        if (at >= end || text[at] != '"')
            return false;
        size_t close = at + 1; // one past the value's closing quote
        for (;;) {
            const size_t quote = quotes.Next(close);
            if (quote >= end)
                return false;
            close = quote + 1;
            if (close == end || text[close] != '"')
                break;
            ++close; // a doubled quote
        }
        if (close == end)
            return true;
        if (text[close] != ';')
            return false;
        at = close + 1;
    }
}

// The lines of a text, each with its line feed, split as far as asked.
class RowLines {
public:
    explicit RowLines(std::string_view text) : text_(text), quotes_(text.data(), text.size()) {}

    // Splits off lines until there are count (or the text ends); false when
    // one is no row (LineIsRow).
    bool SplitUpTo(size_t count) {
        while (at_ < text_.size() && lines_.size() < count) {
            const size_t end = std::min(text_.find('\n', at_), text_.size());
            const size_t next = std::min(end + 1, text_.size());
            if (!LineIsRow(text_, at_, end, quotes_))
                return false;
            lines_.push_back(text_.substr(at_, next - at_));
            at_ = next;
        }
        return true;
    }
    bool AllSplit() const { return at_ == text_.size(); }
    const std::vector<std::string_view>& Lines() const { return lines_; }
    // The bytes of lines [from, to).
    std::string_view Span(size_t from, size_t to) const {
        if (from >= to)
            return {};
        const char* end = lines_[to - 1].data() + lines_[to - 1].size();
        return {lines_[from].data(), size_t(end - lines_[from].data())};
    }

private:
    std::string_view text_;
    QuoteFinder quotes_;
    size_t at_ = 0;
    std::vector<std::string_view> lines_;
};

// The position in text of a byte memchr or memmem found there.
size_t PositionIn(std::string_view text, const void* found) {
    return static_cast<size_t>(static_cast<const char*>(found) - text.data());
}

// The line of text that holds the byte at, counting lines from the one that
// starts at lineStart, which becomes the start of the line found.
size_t AdvanceToLine(std::string_view text, size_t at, size_t& lineStart, size_t line) {
    for (;;) {
        const void* end = std::memchr(text.data() + lineStart, '\n', at - lineStart);
        if (!end)
            return line;
        lineStart = PositionIn(text, end) + 1;
        ++line;
    }
}

// Marks the lines (from 0) of folded that hold clue.
void MarkLinesWith(std::string_view folded, std::string_view clue, std::vector<char>& marked) {
    size_t lineStart = 0;
    size_t line = 0;
    size_t from = 0;
    while (from < folded.size()) {
        const void* hit =
            memmem(folded.data() + from, folded.size() - from, clue.data(), clue.size());
        if (!hit)
            return;
        const size_t at = PositionIn(folded, hit);
        line = AdvanceToLine(folded, at, lineStart, line);
        marked[line] = 1;
        // On from the next line: this one is taken.
        const void* end = std::memchr(folded.data() + at, '\n', folded.size() - at);
        if (!end)
            return;
        from = lineStart = PositionIn(folded, end) + 1;
        ++line;
    }
}

// Picking a day's lines costs a fold of the day; when most of them are
// taken, that is a fold on top of the one matching takes anyway. A sample of
// the first lines tells.
constexpr size_t kSampleLines = 64;

// The header, and the lines of the log where one of the clues occurs in the
// line folded; empty when no line has one. Nothing when the whole log is to
// be read: its lines may not be its rows (it is no UTF-8, or a value is not
// quoted, a hand edit, or spans lines), or most of the sampled lines hold a
// clue.
std::optional<std::string> LinesWithClues(std::string_view text,
                                          const std::vector<std::string>& clues) {
    if (clues.empty())
        return std::nullopt;
    RowLines rows(text);
    if (!rows.SplitUpTo(1 + kSampleLines))
        return std::nullopt;
    const std::vector<std::string_view>& lines = rows.Lines();
    if (lines.size() < 2)
        return std::string();
    // The rows folded at once, and searched at once: a line feed folds to
    // itself and nothing else folds to one, so the folded lines are the
    // lines' folds, one for one.
    thread_local std::string folded;
    folded.clear();
    std::vector<char> marked; // of the lines after the header
    const auto foldAndMark = [&](size_t fromLine) {
        if (!AppendSearchFolded(rows.Span(fromLine, lines.size()), folded))
            return false;
        marked.resize(lines.size() - 1);
        for (const std::string& clue : clues)
            MarkLinesWith(folded, clue, marked);
        return true;
    };
    if (!foldAndMark(1))
        return std::nullopt;
    const size_t sampled = lines.size();
    if (!rows.AllSplit() && 2 * size_t(std::count(marked.begin(), marked.end(), 1)) > sampled)
        return std::nullopt;
    if (!rows.SplitUpTo(SIZE_MAX) || !foldAndMark(sampled))
        return std::nullopt;
    if (std::find(marked.begin(), marked.end(), 1) == marked.end())
        return std::string();
    std::string found(lines.front());
    for (size_t n = 0; n < marked.size(); ++n) {
        if (marked[n])
            found.append(lines[n + 1]);
    }
    return found;
}

} // namespace

WordFilter::WordFilter(const QString& typed) : words_(SearchWords(typed.toStdString())) {
    quoteInWords_ = std::any_of(words_.begin(), words_.end(), [](const std::string& word) {
        return word.find('"') != std::string::npos;
    });
}

// The longest word is the rarest, most likely.
std::vector<std::string> WordFilter::Clues() const {
    if (words_.empty() || quoteInWords_)
        return {};
    return {*std::max_element(
        words_.begin(), words_.end(),
        [](const std::string& a, const std::string& b) { return a.size() < b.size(); })};
}

// Each searched value folded, the words looked for in each: a word holds no
// line break, so it is found only inside one value. A day's rows mostly
// repeat their folder and identifier, whose folds are kept from the row
// before.
bool WordFilter::Matches(const DayLog& log, int row) const {
    if (words_.empty())
        return false;
    struct Folded {
        std::string value;
        std::string folded;
    };
    thread_local std::array<Folded, std::size(kSearchedColumns)> values;
    for (size_t n = 0; n < values.size(); ++n) {
        const std::string_view value = log.Cell(row, kSearchedColumns[n]);
        if (value == values[n].value)
            continue;
        values[n].value.assign(value);
        values[n].folded.clear();
        AppendSearchFolded(value, values[n].folded);
    }
    return std::all_of(words_.begin(), words_.end(), [](const std::string& word) {
        return std::any_of(values.begin(), values.end(),
                           [&](const Folded& value) { return Contains(value.folded, word); });
    });
}

SavedFileFilter::SavedFileFilter(const QStringList& paths) {
    for (const QString& path : paths) {
        for (std::string& saved : SavedFilePaths(path)) {
            names_.push_back(FileNamePart(QString::fromStdString(saved)).toStdString());
            paths_.push_back(std::move(saved));
        }
    }
}

std::vector<std::string> SavedFileFilter::SavedFilePaths(const QString& path) {
    const QFileInfo file(path);
    std::vector<std::string> paths{file.absoluteFilePath().toStdString()};
    const QString canonical = file.canonicalFilePath();
    if (!canonical.isEmpty() && canonical.toStdString() != paths.front())
        paths.push_back(canonical.toStdString());
    return paths;
}

std::vector<std::string> SavedFileFilter::Clues() const {
    std::vector<std::string> clues;
    for (const std::string& name : names_) {
        if (name.find('"') != std::string::npos)
            return {};
        clues.push_back(SearchFolded(name));
    }
    return clues;
}

bool SavedFileFilter::Matches(const DayLog& log, int row) const {
    return std::any_of(paths_.begin(), paths_.end(),
                       [&](const std::string& path) { return Saved(log, row, path); });
}

// The folder is stored ending in its separator; a hand-edited one may lack it.
bool SavedFileFilter::Saved(const DayLog& log, int row, const std::string& path) {
    const std::string_view name = log.Cell(row, FileNameColumn);
    std::string_view folder = log.Cell(row, FolderColumn);
    if (name.empty() || folder.empty() || !std::string_view(path).ends_with(name))
        return false;
    std::string_view pathFolder = std::string_view(path).substr(0, path.size() - name.size());
    if (!pathFolder.ends_with('/'))
        return false;
    if (!folder.ends_with('/'))
        pathFolder.remove_suffix(1);
    return folder == pathFolder;
}

QStringList LoggedDays(const QString& homeFolder) {
    QStringList days;
    const QDir logs(LogsFolderPath(homeFolder));
    for (const QString& month : logs.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir monthFolder(logs.filePath(month));
        // Whatever is named as a log, so that a folder or a pipe there is
        // reported as no log that can be read.
        for (const QString& file :
             monthFolder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            if (!file.endsWith(QStringLiteral(".txt")))
                continue;
            const QString day = file.chopped(4);
            // Only the log the window lists for the day: in its own month's folder.
            if (day.size() == 8 && MonthTextOfDay(day) == month &&
                std::all_of(day.begin(), day.end(), [](QChar c) { return c.isDigit(); }))
                days << day;
        }
    }
    std::sort(days.begin(), days.end(), std::greater<>());
    return days;
}

namespace {

// What the reading of one day's log gave.
struct DayOutcome {
    std::optional<DayMatches> matches;
    QString unreadable; // the log's path, when it is there but could not be read
};

// The file's bytes, in memory the thread reads every log into: a buffer of
// its own for each would be faulted in afresh, and cleared first, at every
// day. Valid until the thread's next call.
std::optional<std::span<char>> ReadLogBytes(const std::string& path) {
    thread_local std::unique_ptr<char[]> buffer;
    thread_local size_t capacity = 0;
    std::unique_ptr<char[]> outgrown; // read from while the file is moved over
    return ReadFileInto(path, [&](size_t size) {
        if (size > capacity) {
            outgrown = std::move(buffer);
            buffer = std::make_unique_for_overwrite<char[]>(size);
            capacity = size;
        }
        return buffer.get();
    });
}

DayOutcome SearchDay(const QString& homeFolder, const QString& day, const RowFilter& filter) {
    const QString path = DayLogPath(homeFolder, day);
    // A folder or a pipe in the log's place is not opened: a pipe would keep
    // the search waiting.
    if (const QFileInfo file(path); !file.isFile())
        return {std::nullopt, file.exists() ? path : QString()};
    const std::optional<std::span<char>> bytes = ReadLogBytes(LocalPath(path));
    if (!bytes)
        return {std::nullopt, QFileInfo::exists(path) ? path : QString()};
    std::string_view text(bytes->data(), bytes->size());
    // Another editor's byte-order mark would become part of the first name.
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    const std::optional<std::string> lines = LinesWithClues(text, filter.Clues());
    if (lines && lines->empty())
        return {};
    auto log = std::make_shared<DayLog>(DayLog::FromBytes(path, lines ? *lines : text));
    DayMatches matches{day, nullptr, {}};
    for (int row = 0; row < log->RowCount(); ++row) {
        if (filter.Matches(*log, row))
            matches.rows.push_back(row);
    }
    if (matches.rows.empty())
        return {};
    matches.log = std::move(log);
    return {std::move(matches), {}};
}

// A day is taken for reading at most this far ahead of the hand-over, which
// bounds the logs held at once.
constexpr qsizetype kDaysAhead = 32;

} // namespace

// Days are read by this thread and one helper, each taking the next day not
// taken: neither waits on a share the other is slow with, as when another
// program holds a core. They are handed over here, in the days' order.
SearchReport SearchLogs(const QString& homeFolder, const QStringList& days, const RowFilter& filter,
                        const std::function<bool(DayMatches&&)>& found,
                        const std::atomic<bool>* cancelled) {
    SearchReport report;
    std::atomic<bool> ended = false;
    const auto stopped = [&] {
        return ended.load() || (cancelled && cancelled->load(std::memory_order_relaxed));
    };
    const qsizetype count = days.size();
    std::vector<DayOutcome> outcomes(static_cast<size_t>(count));
    std::vector<char> ready(static_cast<size_t>(count));
    qsizetype taken = 0;  // days a thread has taken to read
    qsizetype handed = 0; // days handed over
    std::mutex mutex;     // guards the four above
    std::condition_variable changed;
    const auto mayTake = [&] { return taken < count && taken < handed + kDaysAhead; };
    // Reads the next day, the lock held on entry and exit.
    const auto readNext = [&](std::unique_lock<std::mutex>& lock) {
        const qsizetype at = taken++;
        lock.unlock();
        DayOutcome outcome = SearchDay(homeFolder, days[at], filter);
        lock.lock();
        outcomes[size_t(at)] = std::move(outcome);
        ready[size_t(at)] = 1;
        changed.notify_all();
    };
    std::thread helper([&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stopped() || taken >= count || mayTake(); });
            if (stopped() || taken >= count)
                return;
            readNext(lock);
        }
    });
    std::unique_lock lock(mutex);
    while (handed < count && !stopped()) {
        if (ready[size_t(handed)]) {
            DayOutcome outcome = std::move(outcomes[size_t(handed++)]);
            changed.notify_all();
            lock.unlock();
            ++report.daysRead;
            if (!outcome.unreadable.isEmpty())
                report.unreadable << outcome.unreadable;
            const bool goOn = !outcome.matches || found(std::move(*outcome.matches));
            lock.lock();
            if (!goOn)
                break;
        } else if (mayTake()) {
            readNext(lock);
        } else {
            changed.wait(lock);
        }
    }
    ended = true;
    lock.unlock();
    changed.notify_all();
    helper.join();
    return report;
}

} // namespace kelvo
