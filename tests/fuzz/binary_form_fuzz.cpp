// Reads arbitrary bytes as a binary-form table; a table that was taken is
// written again and must come back exactly.

#include "TableChecks.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo::fuzz {
namespace {

uint32_t LittleEndianU32(std::string_view bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

// Walks a written file: every row-size field must hold the bytes of its row,
// and the last row must end the file.
void CheckWrittenLayout(std::string_view bytes, int columns, int rows) {
    size_t offset = 18;
    const auto skipString = [&] {
        Require(offset + 4 <= bytes.size(), "written string runs past the end");
        offset += 4 + LittleEndianU32(bytes, offset);
        Require(offset <= bytes.size(), "written string runs past the end");
    };
    skipString(); // the table name
    Require(offset + 8 <= bytes.size(), "written counts run past the end");
    Require(LittleEndianU32(bytes, offset) == static_cast<uint32_t>(columns),
            "written column count wrong");
    Require(LittleEndianU32(bytes, offset + 4) == static_cast<uint32_t>(rows),
            "written row count wrong");
    offset += 8;
    for (int column = 1; column <= columns; ++column) {
        ++offset; // the type byte
        skipString();
    }
    for (int row = 1; row <= rows; ++row) {
        Require(offset + 4 <= bytes.size(), "written row size runs past the end", 0, row);
        const uint32_t rowSize = LittleEndianU32(bytes, offset);
        offset += 4;
        const size_t rowStart = offset;
        for (int column = 1; column <= columns; ++column) {
            skipString();
        }
        Require(offset - rowStart == rowSize, "row size field wrong", 0, row);
    }
    Require(offset == bytes.size(), "written file has bytes after the last row");
}

void CheckSameTables(const TMlb2& first, const TMlb2& second) {
    Require(second.TableName() == first.TableName(), "table name changed by write and read");
    Require(second.ColumnCount() == first.ColumnCount(), "column count changed by write and read");
    Require(second.RowCount() == first.RowCount(), "row count changed by write and read");
    for (int column = 1; column <= first.ColumnCount(); ++column) {
        Require(second.GetColumnName(column) == first.GetColumnName(column),
                "column name changed by write and read", column);
        Require(second.GetColumnType(column) == first.GetColumnType(column),
                "column type changed by write and read", column);
    }
    for (int row = 1; row <= first.RowCount(); ++row) {
        for (int column = 1; column <= first.ColumnCount(); ++column) {
            Require(second.Rows().At(row)->At(column) == first.Rows().At(row)->At(column),
                    "value changed by write and read", column, row);
        }
    }
}

void CheckBinary(std::string_view bytes) {
    TMlb2 first;
    first.Clear();
    const bool taken = ReadBinaryForm(bytes, first);
    // A file that was refused may have left part of a table, but never a
    // malformed one.
    CheckShape(first);
    if (!taken) {
        return;
    }
    CheckCursorAfterRead(first);
    for (int column = 1; column <= first.ColumnCount(); ++column) {
        const Text type = first.GetColumnType(column);
        Require(type == std::string_view("STRING") || type == std::string_view("FLOAT"),
                "binary column typed neither STRING nor FLOAT", column);
        for (int row = 1; row <= first.RowCount(); ++row) {
            // Every stored value is a text, an empty one included.
            Require(first.Rows().At(row)->At(column).has_value(), "value left absent", column, row);
        }
    }

    const std::string written = WriteBinaryForm(first);
    Require(written.size() >= 18, "written file shorter than its fixed part");
    Require(written.compare(0, 3, "MLB") == 0, "written file without its magic");
    Require(LittleEndianU32(written, 12) == written.size() - 16,
            "total size field differs from file size minus 16");
    CheckWrittenLayout(written, first.ColumnCount(), first.RowCount());

    TMlb2 second;
    second.Clear();
    Require(ReadBinaryForm(written, second), "written file refused on reading");
    CheckShape(second);
    CheckCursorAfterRead(second);
    CheckSameTables(first, second);
    Require(WriteBinaryForm(second) == written, "second write differs from the first");
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::CheckBinary(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
