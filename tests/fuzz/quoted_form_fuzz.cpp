// Reads arbitrary bytes as a quoted-form table, then writes the table in the
// same form and reads that back.

#include "TableChecks.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo::fuzz {
namespace {

bool IsString(const TMlb2& table, int column) {
    return table.GetColumnType(column) == std::optional<std::string_view>("STRING");
}

// A text written between quotes comes back as it was. A writer that sends LF
// through a text-mode stream turns it into CR LF, which is then read back as
// those two bytes; either is accepted.
bool SameAfterRoundTrip(std::string_view before, std::string_view after, bool& exact) {
    if (after == before) {
        return true;
    }
    exact = false;
    std::string expected;
    expected.reserve(before.size());
    for (char byte : before) {
        if (byte == '\n') {
            expected += '\r';
        }
        expected += byte;
    }
    return after == expected;
}

// A file read a few bytes at a time, the way blocks of a file arrive, gives
// the same table as the whole file at once: tokens, doubled quotes and line
// ends may be cut anywhere.
void CheckBlockwiseReading(std::string_view bytes, const TMlb2& whole) {
    const size_t blockSize = bytes.empty() ? 1 : 1 + static_cast<unsigned char>(bytes[0]) % 7;
    size_t at = 0;
    TMlb2 blockwise;
    ReadQuotedFormBlocks(
        [&]() {
            const std::string_view block = bytes.substr(std::min(at, bytes.size()), blockSize);
            at += block.size();
            return block;
        },
        bytes.size(), blockwise);
    Require(WriteBinaryForm(blockwise) == WriteBinaryForm(whole), "blockwise read differs");
}

// The whole lines of a file cut short (as by a crash during an append) read
// as the file's rows up to its last line end: the same rows, less at most the
// last one, each with the same values.
void CheckWholeLines(std::string_view bytes, const TMlb2& whole) {
    const size_t cut = QuotedFormWholeLines(bytes);
    Require(cut <= bytes.size(), "whole lines longer than the file");
    Require(cut == 0 || bytes[cut - 1] == '\n', "whole lines do not end with a line end");
    TMlb2 lines;
    ReadQuotedForm(bytes.substr(0, cut), lines);
    CheckShape(lines);
    if (cut == 0) {
        Require(lines.ColumnCount() == 0, "columns read from no whole line");
        return;
    }
    Require(lines.ColumnCount() == whole.ColumnCount(), "whole lines change the columns");
    const int rows = lines.RowCount();
    Require(rows == whole.RowCount() || (cut < bytes.size() && rows + 1 == whole.RowCount()),
            "whole lines lose more than the last row");
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= lines.ColumnCount(); ++column) {
            Require(lines.Rows().At(row)->At(column) == whole.Rows().At(row)->At(column),
                    "whole lines change a value", column, row);
        }
    }
}

void CheckQuoted(std::string_view bytes) {
    TMlb2 first;
    first.Clear();
    ReadQuotedForm(bytes, first);
    CheckShape(first);
    CheckCursorAfterRead(first);
    CheckBlockwiseReading(bytes, first);
    CheckWholeLines(bytes, first);

    const int columns = first.ColumnCount();
    for (int column = 1; column <= columns; ++column) {
        // Empty header tokens never become columns.
        Require(!first.GetColumnName(column)->empty(), "empty column name read", column);
    }

    const std::string written = WriteQuotedForm(first);
    if (columns == 0) {
        // Rows without columns have no defined file layout.
        Require(first.RowCount() > 0 || written.empty(), "empty table not written as nothing");
        return;
    }

    // Bare values (columns not typed STRING) are not protected: a separator
    // shifts the later values of its line, a LF starts a new line.
    bool bareValuesSplit = false;
    bool bareValuesBreakLines = false;
    bool allString = true;
    for (int column = 1; column <= columns; ++column) {
        const bool quoted = IsString(first, column);
        allString = allString && quoted;
        for (int row = 1; row <= first.RowCount(); ++row) {
            const std::string_view text = CellText(first, column, row);
            const bool lineFeed = Contains(text, '\n');
            if (!quoted) {
                bareValuesBreakLines = bareValuesBreakLines || lineFeed;
                bareValuesSplit = bareValuesSplit || lineFeed || Contains(text, ';');
            }
        }
    }

    TMlb2 second;
    second.Clear();
    ReadQuotedForm(written, second);
    CheckShape(second);
    CheckCursorAfterRead(second);

    // Names are always quoted, so the header survives whatever the values are.
    Require(second.ColumnCount() == columns, "column count changed by write and read");
    bool exact = true;
    for (int column = 1; column <= columns; ++column) {
        Require(
            SameAfterRoundTrip(*first.GetColumnName(column), *second.GetColumnName(column), exact),
            "column name changed by write and read", column);
    }
    if (bareValuesBreakLines) {
        return;
    }
    Require(second.RowCount() == first.RowCount(), "row count changed by write and read");
    if (bareValuesSplit) {
        return;
    }
    for (int column = 1; column <= columns; ++column) {
        if (!IsString(first, column)) {
            continue;
        }
        for (int row = 1; row <= first.RowCount(); ++row) {
            Require(SameAfterRoundTrip(CellText(first, column, row), CellText(second, column, row),
                                       exact),
                    "quoted value changed by write and read", column, row);
        }
    }

    // With every value quoted and come back as it was, a written file reads
    // back into a table that writes the very same bytes.
    if (allString && exact) {
        Require(WriteQuotedForm(second) == written, "second write differs from the first");
    }
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::CheckQuoted(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
