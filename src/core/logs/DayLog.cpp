#include "logs/DayLog.h"

#include "logs/CaptureLog.h"
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
    if (!LoadCaptureLog(path, log.table_)) {
        log.unreadable_ = true;
        log.table_.Clear();
        return log;
    }
    log.FindColumns();
    return log;
}

DayLog DayLog::FromBytes(const QString& path, std::string_view bytes) {
    DayLog log;
    ReadCaptureLog(bytes, path, log.table_);
    log.FindColumns();
    return log;
}

void DayLog::FindColumns() {
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
