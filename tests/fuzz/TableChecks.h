#pragma once

// Checks shared by the table-form fuzz targets.

#include "Checks.h"
#include "table/TMlb2.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kelvo::fuzz {

// What every table must look like, however it was filled: names and types
// run in step and every row holds one entry per column.
inline void CheckShape(const TMlb2& table) {
    const int columns = table.ColumnCount();
    Require(table.ColumnNames().Count() == columns, "names count differs from ColumnCount");
    Require(table.ColumnTypes().Count() == columns, "types count differs from ColumnCount");
    Require(table.Rows().Count() == table.RowCount(), "row list count differs from RowCount");
    Require(table.IsEmpty() == (table.RowCount() == 0), "IsEmpty disagrees with RowCount");
    for (int row = 1; row <= table.RowCount(); ++row) {
        const TMLBStringList* values = table.Rows().At(row);
        Require(values != nullptr, "row missing", 0, row);
        Require(values->Count() == columns, "row entry count differs from ColumnCount", 0, row);
    }
    for (int column = 1; column <= columns; ++column) {
        Require(table.GetColumnName(column).has_value(), "read column without a name", column);
        Require(table.GetColumnType(column).has_value(), "read column without a type", column);
    }
}

// A reader leaves the last row read current, or no row and AtEnd when there
// are none.
inline void CheckCursorAfterRead(const TMlb2& table) {
    Require(table.CurrentRow() == table.RowCount(), "current row is not the last row read");
    Require(table.AtEnd() == (table.RowCount() == 0), "AtEnd wrong after reading");
}

// The value as a writer sees it: an absent value is written as the empty text.
inline std::string_view CellText(const TMlb2& table, int column, int row) {
    const TMLBStringList* values = table.Rows().At(row);
    if (values == nullptr) {
        return {};
    }
    return values->At(column).value_or(std::string_view{});
}

inline bool Contains(std::string_view text, char byte) {
    return text.find(byte) != std::string_view::npos;
}

} // namespace kelvo::fuzz
