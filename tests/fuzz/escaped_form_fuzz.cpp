// Reads arbitrary bytes as an escaped-form table, then writes the table in the
// same form and reads that back.

#include "TableChecks.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo::fuzz {
namespace {

void CheckEscaped(std::string_view bytes) {
    TMlb2 first;
    first.Clear();
    ReadEscapedForm(bytes, first);
    CheckShape(first);
    CheckCursorAfterRead(first);

    const int columns = first.ColumnCount();
    for (int column = 1; column <= columns; ++column) {
        Require(first.GetColumnType(column) == std::optional<std::string_view>("STRING"),
                "escaped column not typed STRING", column);
        // A separator always ends a name, escaped or not.
        Require(!Contains(*first.GetColumnName(column), ';'), "separator inside a name", column);
    }

    const std::string written = WriteEscapedForm(first);
    if (columns == 0) {
        // A table without columns has no defined file layout.
        return;
    }

    // Names are written as they are: a LF in a name breaks the header line,
    // and a backslash may be taken for an escape on reading.
    bool namesBreakLines = false;
    bool namesHoldEscapes = false;
    for (int column = 1; column <= columns; ++column) {
        const std::string_view name = *first.GetColumnName(column);
        namesBreakLines = namesBreakLines || Contains(name, '\n');
        namesHoldEscapes = namesHoldEscapes || Contains(name, '\\');
    }
    if (namesBreakLines) {
        return;
    }

    TMlb2 second;
    second.Clear();
    ReadEscapedForm(written, second);
    CheckShape(second);
    CheckCursorAfterRead(second);

    Require(second.ColumnCount() == columns, "column count changed by write and read");
    Require(second.RowCount() == first.RowCount(), "row count changed by write and read");
    if (!namesHoldEscapes) {
        for (int column = 1; column <= columns; ++column) {
            Require(second.GetColumnName(column) == first.GetColumnName(column),
                    "column name changed by write and read", column);
        }
    }
    // Values are escaped, so every one comes back exactly (absent ones as the
    // empty text).
    for (int row = 1; row <= first.RowCount(); ++row) {
        for (int column = 1; column <= columns; ++column) {
            Require(second.Rows().At(row)->At(column).has_value(), "value left absent", column,
                    row);
            Require(CellText(second, column, row) == CellText(first, column, row),
                    "value changed by write and read", column, row);
        }
    }
    if (!namesHoldEscapes) {
        Require(WriteEscapedForm(second) == written, "second write differs from the first");
    }
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::CheckEscaped(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
