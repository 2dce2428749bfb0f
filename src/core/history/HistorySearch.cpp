#include "history/HistorySearch.h"

#include "files/FileBytes.h"
#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"
#include "session/HomeFiles.h"
#include "text/PathText.h"
#include "text/SearchFold.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <future>

namespace kelvo {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr int kSearchedColumns[] = {FileNameColumn, IdentifierColumn, AddressColumn, FolderColumn};

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos; // lines are short: no memmem set-up
}

// Whether the line (without its line feed) is a row whose values' bytes are
// the values as they are read: every value quoted, quotes inside doubled.
// Hand edits aside, every line of a log is so; an unquoted value loses its
// spaces as it is read, and two quoted stretches make one value.
bool LineIsRow(std::string_view line) {
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    size_t at = 0; // the start of a value
    for (;;) {
        if (at >= line.size() || line[at] != '"')
            return false;
        size_t end = at + 1; // one past the value's closing quote
        for (;;) {
            const size_t quote = line.find('"', end);
            if (quote == std::string_view::npos)
                return false;
            end = quote + 1;
            if (end == line.size() || line[end] != '"')
                break;
            ++end; // a doubled quote
        }
        if (end == line.size())
            return true;
        if (line[end] != ';')
            return false;
        at = end + 1;
    }
}

// Calls lineFound with each line of the text, its line feed included; false
// when a line is no row (LineIsRow) or lineFound says so.
template <typename LineFound> bool ForEachRowLine(std::string_view text, LineFound lineFound) {
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const size_t next = std::min(end + 1, text.size());
        if (!LineIsRow(text.substr(at, end - at)) || !lineFound(text.substr(at, next - at)))
            return false;
        at = next;
    }
    return true;
}

// The header, and the lines of the log where one of the clues occurs in the
// line folded; empty when no line has one. Nothing when the log's lines may
// not be its rows, and the whole log must be read: it is no UTF-8, or a value
// is not quoted (a hand edit) or spans lines.
std::optional<std::string> LinesWithClues(std::string_view text,
                                          const std::vector<std::string>& clues) {
    if (clues.empty())
        return std::nullopt;
    std::string lines;
    std::string folded;
    bool found = false;
    const bool rows = ForEachRowLine(text, [&](std::string_view line) {
        if (lines.empty()) { // the header
            lines.assign(line);
            return true;
        }
        folded.clear();
        if (!AppendSearchFolded(line, folded))
            return false;
        if (std::any_of(clues.begin(), clues.end(),
                        [&](const std::string& clue) { return Contains(folded, clue); })) {
            lines.append(line);
            found = true;
        }
        return true;
    });
    if (!rows)
        return std::nullopt;
    return found ? lines : std::string();
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

// The searched values, folded, one a line: a word holds no line break, so it
// is found only inside one value.
bool WordFilter::Matches(const DayLog& log, int row) const {
    if (words_.empty())
        return false;
    thread_local std::string folded;
    folded.clear();
    for (const int column : kSearchedColumns) {
        AppendSearchFolded(log.Cell(row, column), folded);
        folded.push_back('\n');
    }
    return std::all_of(words_.begin(), words_.end(),
                       [](const std::string& word) { return Contains(folded, word); });
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

DayOutcome SearchDay(const QString& homeFolder, const QString& day, const RowFilter& filter) {
    const QString path = DayLogPath(homeFolder, day);
    // A folder or a pipe in the log's place is not opened: a pipe would keep
    // the search waiting.
    if (const QFileInfo file(path); !file.isFile())
        return {std::nullopt, file.exists() ? path : QString()};
    const std::optional<std::string> bytes = ReadFileBytes(LocalPath(path));
    if (!bytes)
        return {std::nullopt, QFileInfo::exists(path) ? path : QString()};
    std::string_view text = *bytes;
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

constexpr qsizetype kChunkDays = 16;

} // namespace

SearchReport SearchLogs(const QString& homeFolder, const QStringList& days, const RowFilter& filter,
                        const std::function<bool(DayMatches&&)>& found,
                        const std::atomic<bool>* cancelled) {
    SearchReport report;
    std::atomic<bool> ended = false;
    const auto stopped = [&] {
        return ended.load() || (cancelled && cancelled->load(std::memory_order_relaxed));
    };
    const auto searchChunk = [&](qsizetype from) {
        std::vector<DayOutcome> outcomes;
        const qsizetype end = std::min(from + kChunkDays, days.size());
        for (qsizetype at = from; at < end && !stopped(); ++at)
            outcomes.push_back(SearchDay(homeFolder, days[at], filter));
        return outcomes;
    };
    // In the days' order; false once the search ends.
    const auto handOver = [&](std::vector<DayOutcome>& outcomes) {
        for (DayOutcome& outcome : outcomes) {
            if (stopped())
                return false;
            ++report.daysRead;
            if (!outcome.unreadable.isEmpty())
                report.unreadable << outcome.unreadable;
            if (outcome.matches && !found(std::move(*outcome.matches))) {
                ended = true;
                return false;
            }
        }
        return true;
    };
    // Two chunks at a time, the later one on a thread of its own: a second
    // core nearly halves the search.
    for (qsizetype from = 0; from < days.size(); from += 2 * kChunkDays) {
        std::future<std::vector<DayOutcome>> later;
        if (from + kChunkDays < days.size())
            later = std::async(std::launch::async, searchChunk, from + kChunkDays);
        std::vector<DayOutcome> earlier = searchChunk(from);
        const bool goOn = handOver(earlier);
        std::vector<DayOutcome> rest = later.valid() ? later.get() : std::vector<DayOutcome>();
        if (!goOn || !handOver(rest))
            break;
    }
    return report;
}

} // namespace kelvo
