#pragma once

#include "logs/DayLog.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelvo {

// The rows a search found in a day's log, in the log's order. log holds them
// and may hold only the rows that could match, not the whole day.
struct DayMatches {
    QString day; // 20060315
    std::shared_ptr<const DayLog> log;
    std::vector<int> rows; // of log
};

// What a search looks for in a day's log.
class RowFilter {
public:
    virtual ~RowFilter() = default;
    virtual bool Matches(const DayLog& log, int row) const = 0;
    // Texts, folded (SearchFolded), one of which every matching row holds in
    // a value: a line of the log without any is never read into a row. None:
    // every row is read.
    virtual std::vector<std::string> Clues() const { return {}; }
};

// Rows where every word occurs in ファイル名, 識別名, 取得元アドレス or 保存先フォルダ,
// each compared folded (SearchFolded). No words match no row.
class WordFilter : public RowFilter {
public:
    explicit WordFilter(const QString& typed);
    bool Empty() const { return words_.empty(); }
    bool Matches(const DayLog& log, int row) const override;
    std::vector<std::string> Clues() const override;

private:
    std::vector<std::string> words_;
    bool quoteInWords_ = false; // a log doubles a quote: no clue among its bytes
};

// Rows that saved one of these files: 保存先フォルダ and ファイル名 name its path.
class SavedFileFilter : public RowFilter {
public:
    explicit SavedFileFilter(const QStringList& paths);
    bool Matches(const DayLog& log, int row) const override;
    std::vector<std::string> Clues() const override;
    // Whether the row saved the file at path, as SavedFilePaths gives it.
    static bool Saved(const DayLog& log, int row, const std::string& path);
    // The paths a file may have been saved under: as given made absolute, and
    // with its links resolved; UTF-8.
    static std::vector<std::string> SavedFilePaths(const QString& path);

private:
    std::vector<std::string> paths_;
    std::vector<std::string> names_;
};

// The days with a log in the home's Logs folder (Logs/2006年03月/20060315.txt),
// newest first; a folder or a pipe named as a log counts, so that a search
// reports it.
QStringList LoggedDays(const QString& homeFolder);

struct SearchReport {
    int daysRead = 0;       // and handed over, in order
    QStringList unreadable; // logs that are there but could not be read
};

// Reads the logs of the days and hands each day with matches to found, in
// the order given, until found returns false or cancelled is set. A missing
// log has no rows; one that cannot be read, or is no file (a folder, a pipe,
// never opened), is passed over and reported. The logs are read on two
// threads (found is called on this one); the filter's functions must allow
// that.
SearchReport SearchLogs(const QString& homeFolder, const QStringList& days, const RowFilter& filter,
                        const std::function<bool(DayMatches&&)>& found,
                        const std::atomic<bool>* cancelled = nullptr);

} // namespace kelvo
