#pragma once

// Daily capture logs: one as the old program wrote it, and the rows of one as
// the table store reads them.

#include "support/Files.h"
#include "table/TMlb2.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace kelvo::testing {

// "ファイル名";"取得日時";"識別名";"取得元アドレス";"保存先フォルダ" in Shift-JIS, as
// the old program wrote a log's header.
inline QByteArray ShiftJisLogHeader() {
    return "\"\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\";\"\x8E\xE6\x93\xBE\x93\xFA\x8E\x9E\";"
           "\"\x8E\xAF\x95\xCA\x96\xBC\";\"\x8E\xE6\x93\xBE\x8C\xB3\x83\x41\x83\x68\x83\x8C\x83"
           "\x58\";\"\x95\xDB\x91\xB6\x90\xE6\x83\x74\x83\x48\x83\x8B\x83\x5F\"\r\n";
}

// A log of the old program: its header, then these rows as they are given;
// the month folder is made when missing. Whether it was written whole.
inline bool WriteShiftJisLog(const QString& path, const QByteArray& rows) {
    return WriteBytesMakingFolders(path, ShiftJisLogHeader() + rows);
}

struct LogRow {
    QString name, time, identifier, address, folder;
};

// The rows of a daily log, or nothing when the table store cannot read it.
inline std::optional<std::vector<LogRow>> ReadLogRows(const QString& path) {
    TMlb2 table;
    if (!table.Load(Native(path)))
        return std::nullopt;
    const auto text = [&](const char* column) {
        return QString::fromStdString(std::string(table.GetValue(column).value_or("")));
    };
    std::vector<LogRow> rows;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
        rows.push_back({text("ファイル名"), text("取得日時"), text("識別名"),
                        text("取得元アドレス"), text("保存先フォルダ")});
    return rows;
}

// The rows; none when the log cannot be read.
inline std::vector<LogRow> LogRows(const QString& path) {
    return ReadLogRows(path).value_or(std::vector<LogRow>());
}

// One column of the log, row by row, e.g. LogColumn(path, &LogRow::name).
inline QStringList LogColumn(const QString& path, QString LogRow::*column) {
    QStringList values;
    for (const LogRow& row : LogRows(path))
        values << row.*column;
    return values;
}

// "name address" for each row.
inline QStringList NamesAndAddresses(const std::vector<LogRow>& rows) {
    QStringList lines;
    for (const LogRow& row : rows)
        lines << row.name + " " + row.address;
    return lines;
}

} // namespace kelvo::testing
