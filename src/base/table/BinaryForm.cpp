// The binary form: a fixed header, then length-prefixed strings. Numbers are
// written little-endian; a non-zero byte-order mark means big-endian.

#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <cstdint>
#include <limits>

namespace kelvo {
namespace {

constexpr std::string_view kMagic = "MLB";
constexpr size_t kTotalSizeOffset = 12;
constexpr size_t kTotalSizeEnd = 16;
constexpr uint32_t kMaxCount = std::numeric_limits<int>::max();

// Every read is checked against the bytes left, so no count or length taken
// from the file can reach past its end or ask for more memory than it holds.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    size_t Remaining() const { return bytes_.size() - pos_; }
    void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }

    bool Bytes(size_t count, std::string_view& out) {
        if (count > Remaining())
            return false;
        out = bytes_.substr(pos_, count);
        pos_ += count;
        return true;
    }
    bool U8(uint8_t& out) {
        std::string_view b;
        if (!Bytes(1, b))
            return false;
        out = static_cast<uint8_t>(b[0]);
        return true;
    }
    bool U16(uint16_t& out) {
        uint32_t value = 0;
        if (!Number(2, value))
            return false;
        out = static_cast<uint16_t>(value);
        return true;
    }
    bool U32(uint32_t& out) { return Number(4, out); }
    bool String(std::string_view& out) {
        uint32_t length = 0;
        return U32(length) && Bytes(length, out);
    }

private:
    bool Number(size_t width, uint32_t& out) {
        std::string_view b;
        if (!Bytes(width, b))
            return false;
        out = 0;
        for (size_t i = 0; i < width; ++i) {
            const auto byte = static_cast<uint8_t>(b[bigEndian_ ? i : width - 1 - i]);
            out = (out << 8) | byte;
        }
        return true;
    }

    std::string_view bytes_;
    size_t pos_ = 0;
    bool bigEndian_ = false;
};

bool ReadFixedHeader(ByteReader& in) {
    std::string_view magic;
    uint8_t version1 = 0, version2 = 0, byteOrder = 0;
    uint16_t word1 = 0, word2 = 0, word3 = 0;
    if (!in.Bytes(kMagic.size(), magic) || magic != kMagic)
        return false;
    if (!in.U8(version1) || !in.U8(version2) || !in.U8(byteOrder))
        return false;
    in.SetBigEndian(byteOrder != 0);
    if (!in.U16(word1) || !in.U16(word2) || !in.U16(word3))
        return false;
    uint32_t totalSize = 0;
    uint16_t word4 = 0;
    return word1 >= 1 && word3 == 0 && in.U32(totalSize) && in.U16(word4);
}

bool ReadColumns(ByteReader& in, uint32_t count, TMlb2& table) {
    // A column takes at least its type byte and its name's length.
    if (count > in.Remaining() / 5)
        return false;
    for (uint32_t n = 1; n <= count; ++n) {
        uint8_t type = 0;
        std::string_view name;
        if (!in.U8(type) || !in.String(name))
            return false;
        table.AddColumn(name);
        table.SetColumnType(static_cast<int>(n), type == 1 ? "FLOAT" : "STRING");
    }
    return true;
}

bool ReadRows(ByteReader& in, uint32_t count, TMlb2& table) {
    const auto columns = static_cast<uint64_t>(table.ColumnCount());
    // A row takes at least its size field and one length per value.
    if (uint64_t{count} * (4 + 4 * columns) > in.Remaining())
        return false;
    for (uint32_t r = 0; r < count; ++r) {
        uint32_t rowSize = 0;
        if (!in.U32(rowSize))
            return false;
        table.AppendRow();
        table.MoveLast();
        for (uint64_t n = 1; n <= columns; ++n) {
            std::string_view value;
            if (!in.String(value))
                return false;
            table.SetValueAt(static_cast<int>(n), value);
        }
    }
    return true;
}

void PutU16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void PutU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PatchU32(std::string& out, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[offset + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutString(std::string& out, std::string_view text) {
    PutU32(out, static_cast<uint32_t>(text.size()));
    out.append(text);
}

} // namespace

bool ReadBinaryForm(std::string_view bytes, TMlb2& table) {
    ByteReader in(bytes);
    std::string_view name;
    uint32_t columns = 0, rows = 0;
    if (!ReadFixedHeader(in) || !in.String(name) || !in.U32(columns) || !in.U32(rows))
        return false;
    // Column and row counts are stored as 32-bit values but held as int.
    if (columns > kMaxCount || rows > kMaxCount)
        return false;
    table.SetTableName(name);
    return ReadColumns(in, columns, table) && ReadRows(in, rows, table);
}

std::string WriteBinaryForm(const TMlb2& table) {
    std::string out(kMagic);
    out.push_back(2);
    out.push_back(1);
    out.push_back(0);
    PutU16(out, 1);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU32(out, 0); // total size, patched below
    PutU16(out, 0);
    PutString(out, table.TableName());
    const int columns = table.ColumnCount();
    PutU32(out, static_cast<uint32_t>(columns));
    PutU32(out, static_cast<uint32_t>(table.RowCount()));
    for (int n = 1; n <= columns; ++n) {
        out.push_back(table.GetColumnType(n) == std::string_view("FLOAT") ? 1 : 0);
        PutString(out, table.GetColumnName(n).value_or(""));
    }
    const TMLBList& rows = table.Rows();
    for (int r = 1; r <= rows.Count(); ++r) {
        const TMLBStringList& row = *rows.At(r);
        const size_t sizeOffset = out.size();
        PutU32(out, 0);
        for (int n = 1; n <= columns; ++n)
            PutString(out, row.At(n).value_or(""));
        PatchU32(out, sizeOffset, static_cast<uint32_t>(out.size() - sizeOffset - 4));
    }
    PatchU32(out, kTotalSizeOffset, static_cast<uint32_t>(out.size() - kTotalSizeEnd));
    return out;
}

} // namespace kelvo
