#include "support/StdFiles.h"
#include "support/Tables.h"

#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kelvo {
namespace {

using testing::AddRow;
using testing::Dump;
using testing::MakeColumns;

// Builds binary files field by field, in either byte order.
struct Bytes {
    bool bigEndian = false;
    std::string data;

    Bytes& Number(int width, std::uint32_t value) {
        for (int i = 0; i < width; ++i)
            data += static_cast<char>(value >> 8 * (bigEndian ? width - 1 - i : i));
        return *this;
    }
    Bytes& U8(unsigned value) { return Number(1, value); }
    Bytes& U16(unsigned value) { return Number(2, value); }
    Bytes& U32(std::uint32_t value) { return Number(4, value); }
    Bytes& Raw(std::string_view raw) {
        data += raw;
        return *this;
    }
    Bytes& Str(std::string_view text) {
        return U32(static_cast<std::uint32_t>(text.size())).Raw(text);
    }
    // Magic, versions, byte order and header words 1 to 3.
    Bytes& Header(unsigned word1 = 1, unsigned word3 = 0) {
        return Raw("MLB").U8(2).U8(1).U8(bigEndian).U16(word1).U16(0).U16(word3);
    }
};

// Table "T": A (STRING), B (FLOAT), one row holding ab and an absent value.
TMlb2 SampleTable() {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    table.SetColumnType(2, "FLOAT");
    table.SetTableName("T");
    AddRow(table, {"ab", std::nullopt});
    return table;
}

// Its file: total size 41 (file size - 16), row size 10 (4 + 2 + 4 + 0).
std::string SampleFile() {
    Bytes b;
    b.Header().U32(41).U16(0).Str("T").U32(2).U32(1).U8(0).Str("A").U8(1).Str("B");
    return b.U32(10).Str("ab").Str("").data;
}

TEST(BinaryFormTest, WritesTheExactLayout) {
    EXPECT_EQ(WriteBinaryForm(SampleTable()), SampleFile());
    TMlb2 noRows;
    MakeColumns(noRows, {"A"});
    noRows.SetColumnType(1, "float"); // only exactly "FLOAT" is type 1
    EXPECT_EQ(WriteBinaryForm(noRows),
              Bytes{}.Header().U32(20).U16(0).Str("").U32(1).U32(0).U8(0).Str("A").data);
}

TEST(BinaryFormTest, UncheckedFieldsAreIgnoredAndByteOrderIsHonoured) {
    Bytes b;
    b.Raw("MLB").U8(9).U8(9).U8(0).U16(7).U16(0xBEEF).U16(0).U32(12345).U16(0xFFFF).Str("n");
    b.U32(2).U32(2).U8(7).Str("X").U8(1).Str("Y");
    b.U32(999).Str("1").Str("2").U32(0).Str("").Str("4");
    TMlb2 table;
    ASSERT_TRUE(ReadBinaryForm(b.data, table));
    EXPECT_EQ(Dump(table), "X Y:FLOAT | [1] [2] | [] [4]");
    EXPECT_EQ(table.CurrentRow(), 2);

    Bytes big;
    big.bigEndian = true;
    big.Header(0x0100).U32(0).U16(0).Str("big").U32(1).U32(1).U8(1).Str("Col");
    big.U32(0).Str(std::string(300, 'v'));
    TMlb2 other;
    ASSERT_TRUE(ReadBinaryForm(big.data, other));
    EXPECT_EQ(other.TableName(), "big");
    EXPECT_EQ(Dump(other), "Col:FLOAT | [" + std::string(300, 'v') + "]");
}

// Each file must be refused, by the reader and by Load, with the table as it was.
void ExpectRefused(const std::vector<std::string>& files) {
    testing::TempDir dir;
    const std::string path = dir.File("refused.MLB");
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        TMlb2 scratch;
        EXPECT_FALSE(ReadBinaryForm(files[i], scratch));
        testing::WriteBytes(path, files[i]);
        TMlb2 table;
        MakeColumns(table, {"Old"});
        table.SetTableName("previous");
        AddRow(table, {"o1"});
        AddRow(table, {"o2"});
        table.MoveFirst();
        EXPECT_FALSE(table.Load(path));
        EXPECT_EQ(Dump(table), "Old | [o1] | [o2]");
        EXPECT_EQ(table.TableName(), "previous");
        EXPECT_EQ(table.CurrentRow(), 1);
    }
}

TEST(BinaryFormTest, BadTruncatedOrHostileFileIsRefused) {
    const std::string whole = SampleFile();
    std::string wrongMagic = whole;
    wrongMagic[2] = 'X';
    auto start = [](unsigned word1 = 1, unsigned word3 = 0) {
        return Bytes{}.Header(word1, word3).U32(0).U16(0);
    };
    std::vector<std::string> files = {wrongMagic, start(0).Str("").U32(0).U32(0).data,
                                      start(1, 1).Str("").U32(0).U32(0).data};
    for (size_t size = 0; size < whole.size(); ++size)
        files.push_back(whole.substr(0, size));
    // Counts and lengths far beyond the bytes left must fail, not allocate.
    files.push_back(start().Str("n").U32(0xFFFFFFFF).U32(0).data);
    files.push_back(start().Str("n").U32(0x7FFFFFFF).U32(1).U8(0).Str("A").data);
    files.push_back(start().Str("n").U32(0).U32(0xFFFFFFFF).data);
    files.push_back(start().Str("n").U32(0).U32(0x40000000).U32(0).U32(0).data);
    files.push_back(start().U32(0xFFFFFFFF).Raw("name").data);
    files.push_back(start().Str("n").U32(1).U32(1).U8(0).U32(0xFFFFFFF0).Raw("A").data);
    files.push_back(start().Str("n").U32(1).U32(1).U8(0).Str("A").U32(8).U32(0xFFFFFFFF).data);
    ExpectRefused(files);
}

TEST(BinaryFormTest, LoadTakesTheNameFromTheFileNotThePath) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("table.mlb"), SampleFile());
    TMlb2 back;
    ASSERT_TRUE(back.Load(dir.File("table.mlb")));
    EXPECT_EQ(back.TableName(), "T");
    EXPECT_EQ(Dump(back), "A B:FLOAT | [ab] []");
}

} // namespace
} // namespace kelvo
