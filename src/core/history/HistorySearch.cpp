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

namespace kelvo {
namespace {

constexpr int kSearchedColumns[] = {FileNameColumn, IdentifierColumn, AddressColumn, FolderColumn};

bool Contains(std::string_view text, std::string_view part) {
    return part.empty() || memmem(text.data(), text.size(), part.data(), part.size()) != nullptr;
}

// Whether every value of the log is quoted: then each is found among its
// bytes as it is, a doubled quote aside. An unquoted value loses its spaces
// as it is read. Hand edits aside, every log is so.
bool AllValuesQuoted(std::string_view bytes) {
    for (size_t at = bytes.find(';'); at != std::string_view::npos; at = bytes.find(';', at + 1)) {
        const bool quoted =
            at > 0 && bytes[at - 1] == '"' && at + 1 < bytes.size() && bytes[at + 1] == '"';
        if (!quoted)
            return false; // or a separator inside a value: too rare to look closer
    }
    for (size_t at = bytes.find('\n'); at != std::string_view::npos;
         at = bytes.find('\n', at + 1)) {
        if (at + 1 < bytes.size() && bytes[at + 1] != '"')
            return false;
    }
    return bytes.empty() || bytes.front() == '"' || bytes.starts_with("\xEF\xBB\xBF\"");
}

} // namespace

WordFilter::WordFilter(const QString& typed) : words_(SearchWords(typed.toStdString())) {
    quoteInWords_ = std::any_of(words_.begin(), words_.end(), [](const std::string& word) {
        return word.find('"') != std::string::npos;
    });
}

bool WordFilter::MayMatch(std::string_view logBytes) const {
    if (words_.empty())
        return false;
    if (quoteInWords_)
        return true;
    std::string folded;
    // A Shift-JIS log is looked at as it is read.
    if (!AppendSearchFolded(logBytes, folded))
        return true;
    for (const std::string& word : words_) {
        if (!Contains(folded, word))
            return !AllValuesQuoted(logBytes);
    }
    return true;
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

bool SavedFileFilter::MayMatch(std::string_view logBytes) const {
    return std::any_of(names_.begin(), names_.end(), [&](const std::string& name) {
        return name.find('"') != std::string::npos || Contains(logBytes, name) ||
               !AllValuesQuoted(logBytes);
    });
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
        for (const QString& file : monthFolder.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
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

SearchReport SearchLogs(const QString& homeFolder, const QStringList& days, const RowFilter& filter,
                        const std::function<bool(DayMatches&&)>& found,
                        const std::atomic<bool>* cancelled) {
    SearchReport report;
    for (const QString& day : days) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            break;
        const QString path = DayLogPath(homeFolder, day);
        ++report.daysRead;
        const std::optional<std::string> bytes = ReadFileBytes(LocalPath(path));
        if (!bytes) {
            if (QFileInfo::exists(path))
                report.unreadable << path;
            continue;
        }
        if (!filter.MayMatch(*bytes))
            continue;
        auto log = std::make_shared<DayLog>(DayLog::FromBytes(path, *bytes));
        DayMatches matches{day, nullptr, {}};
        for (int row = 0; row < log->RowCount(); ++row) {
            if (filter.Matches(*log, row))
                matches.rows.push_back(row);
        }
        if (matches.rows.empty())
            continue;
        matches.log = std::move(log);
        if (!found(std::move(matches)))
            break;
    }
    return report;
}

} // namespace kelvo
