#pragma once

#include "table/TMlb2.h"

#include <QString>

#include <array>
#include <string_view>

namespace kelvo {

// The five columns of a listed capture, in the order the history shows them.
enum HistoryColumn {
    FileNameColumn,    // ファイル名
    CaptureTimeColumn, // 取得日時
    IdentifierColumn,  // 識別名
    AddressColumn,     // 取得元アドレス
    FolderColumn,      // 保存先フォルダ
    kHistoryColumnCount
};

// One day's capture log, read whole and kept in UTF-8 (a log of the old
// program is converted from Shift-JIS once, as it is read).
class DayLog {
public:
    // A missing or unreadable log reads as a log without rows; so does what
    // is no file (a folder, a pipe, a socket), which is never opened.
    static DayLog Read(const QString& path);
    // The same from the bytes read from path.
    static DayLog FromBytes(const QString& path, std::string_view bytes);

    // The log exists but is no file, or no table the store can read.
    bool Unreadable() const { return unreadable_; }
    int RowCount() const { return table_.RowCount(); }
    // The value in a row (from 0) of a history column; empty when the log
    // lacks the column or the row lacks the value.
    std::string_view Cell(int row, int column) const;

private:
    // utf8: every value is known to be UTF-8 already.
    void FindColumns(bool utf8);

    TMlb2 table_;
    std::array<int, kHistoryColumnCount> positions_{}; // table columns from 1; 0 when absent
    bool unreadable_ = false;
};

} // namespace kelvo
