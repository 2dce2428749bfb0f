#pragma once

// Tables of the table store built and shown in a line, without Qt.

#include "table/TMlb2.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::testing {

// Clears the table and gives it these columns, all "STRING".
inline void MakeColumns(TMlb2& table, std::initializer_list<std::string_view> names) {
    table.Clear();
    for (auto name : names)
        table.AddColumn(name);
}

// Appends a row, makes it current and fills it by position.
inline void AddRow(TMlb2& table, std::initializer_list<Text> values) {
    table.AppendRow();
    table.MoveLast();
    int column = 1;
    for (const auto& value : values)
        table.SetValueAt(column++, value);
}

// A new table of these columns with one row per entry of rows, filled by
// position; an empty optional leaves the value absent.
inline TMlb2 MakeTable(const std::vector<std::string>& columns,
                       const std::vector<std::vector<Text>>& rows) {
    TMlb2 table;
    for (const auto& column : columns)
        table.AddColumn(column);
    for (const auto& values : rows) {
        table.AppendRow();
        table.MoveLast();
        for (int column = 1; column <= int(values.size()); ++column)
            table.SetValueAt(column, values[column - 1]);
    }
    return table;
}

// The whole table in one line, for comparing: column names (":type" when not
// "STRING"), then per row " | " and the values, "[text]" or "-" when absent.
inline std::string Dump(const TMlb2& table) {
    std::string out;
    for (int c = 1; c <= table.ColumnCount(); ++c) {
        out += (c > 1 ? " " : "") + std::string(table.GetColumnName(c).value_or("<null>"));
        const Text type = table.GetColumnType(c);
        if (type != Text("STRING"))
            out += ":" + std::string(type.value_or("<null>"));
    }
    for (int r = 1; r <= table.RowCount(); ++r) {
        out += " |";
        for (int c = 1; c <= table.ColumnCount(); ++c) {
            const Text value = table.Rows().At(r)->At(c);
            out += value ? " [" + std::string(*value) + "]" : std::string(" -");
        }
    }
    return out;
}

} // namespace kelvo::testing
