#include "logs/DayLog.h"

#include "files/FileBytes.h"
#include "logs/CaptureLog.h"
#include "text/PathText.h"
#include "text/TextCodec.h"

#include <QFile>
#include <QFileInfo>

namespace kelvo {

DayLog DayLog::Read(const QString& path) {
    DayLog log;
    const QFileInfo file(path);
    if (!file.isFile()) {
        // A folder or a pipe in the log's place is not opened: a pipe would
        // keep the reading waiting.
        log.unreadable_ = file.exists();
        return log;
    }
    const std::optional<std::string> bytes = ReadFileBytes(LocalPath(path));
    if (!bytes) {
        log.unreadable_ = true;
        return log;
    }
    return FromBytes(path, *bytes);
}

DayLog DayLog::FromBytes(const QString& path, std::string_view bytes) {
    DayLog log;
    ReadCaptureLog(bytes, path, log.table_);
    // Values are the file's bytes cut and joined where it has ASCII: a log
    // that is UTF-8 whole has no value to convert, and one pass tells.
    log.FindColumns(IsValidUtf8(bytes));
    return log;
}

void DayLog::FindColumns(bool utf8) {
    if (!utf8)
        ConvertTableToUtf8(table_);
    const TMLBStringList& names = table_.ColumnNames();
    for (int column = 0; column < kHistoryColumnCount; ++column)
        positions_[size_t(column)] = names.IndexOf(kCaptureLogColumns[size_t(column)]);
}

std::string_view DayLog::Cell(int row, int column) const {
    if (column < 0 || column >= kHistoryColumnCount)
        return {};
    const int position = positions_[size_t(column)];
    const TMLBStringList* values = table_.Rows().At(row + 1);
    if (position == 0 || !values)
        return {};
    return values->At(position).value_or(std::string_view());
}

} // namespace kelvo
