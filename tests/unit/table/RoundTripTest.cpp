#include "support/StdFiles.h"
#include "support/Tables.h"

#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

namespace kelvo {
namespace {

using testing::Dump;

// Bytes that stress every form: separators, quotes, escapes, line ends,
// spaces and Shift-JIS bytes. No zero bytes: texts end at a zero.
constexpr std::string_view kHardBytes = ";\"\\\n\r nN#aZ09\x82\xa0\x83\xff";
// What a bare value in the quoted form can carry.
constexpr std::string_view kPlainBytes = "abcXYZ0123456789";

int Between(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

std::string RandomText(std::mt19937& rng, std::string_view bytes, int minLength, int maxLength) {
    std::string text(static_cast<size_t>(Between(rng, minLength, maxLength)), ' ');
    for (char& c : text)
        c = bytes[static_cast<size_t>(Between(rng, 0, static_cast<int>(bytes.size()) - 1))];
    return text;
}

// Up to 5 columns named from nameBytes, up to 12 rows, some values absent.
// Types are drawn by pickType; column 1 takes plain values when it is "FLOAT".
TMlb2 RandomTable(std::mt19937& rng, std::string_view nameBytes, int minNameLength,
                  const std::function<std::string(int)>& pickType) {
    TMlb2 table;
    table.Clear();
    table.SetTableName(RandomText(rng, kHardBytes, 0, 8));
    const int columns = Between(rng, 1, 5);
    for (int c = 1; c <= columns; ++c) {
        table.AddColumn(RandomText(rng, nameBytes, minNameLength, 10));
        table.SetColumnType(c, pickType(c));
    }
    const bool plainFirst = table.GetColumnType(1) == Text("FLOAT");
    for (int r = Between(rng, 0, 12); r > 0; --r) {
        table.AppendRow();
        table.MoveNext();
        for (int c = 1; c <= columns; ++c) {
            if (Between(rng, 0, 5) > 0)
                table.SetValueAt(
                    c, RandomText(rng, c == 1 && plainFirst ? kPlainBytes : kHardBytes, 0, 12));
        }
    }
    return table;
}

// Applies change to every value of a copy of the table.
TMlb2 Changed(const TMlb2& table, const std::function<Text(Text)>& change) {
    TMlb2 copy = table;
    for (int r = 1; copy.MoveTo(r); ++r) {
        for (int c = 1; c <= copy.ColumnCount(); ++c) {
            // Own the old text first: it is freed when the value is replaced.
            const Text value = copy.GetValueAt(c);
            const std::string old(value.value_or(""));
            copy.SetValueAt(c, change(value ? Text(old) : std::nullopt));
        }
    }
    return copy;
}

Text AbsentAsEmpty(Text value) {
    return value ? value : Text("");
}

void ExpectRoundTrip(TMlb2& table, const TMlb2& expected, const std::string& path) {
    ASSERT_TRUE(table.Save(path));
    TMlb2 back;
    back.Clear();
    ASSERT_TRUE(back.Load(path));
    EXPECT_EQ(Dump(back), Dump(expected));
    EXPECT_EQ(back.TableName(), expected.TableName());
    EXPECT_EQ(back.CurrentRow(), back.RowCount());
}

TEST(RoundTripTest, QuotedForm) {
    testing::TempDir dir;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        // Only column 1 may be FLOAT; empty names add no column.
        const bool floatFirst = Between(rng, 0, 1) == 1;
        TMlb2 table = RandomTable(rng, kHardBytes, 1,
                                  [&](int c) { return c == 1 && floatFirst ? "FLOAT" : "STRING"; });
        TMlb2 expected = Changed(table, [](Text v) { return v && v->empty() ? std::nullopt : v; });
        expected.SetTableName("q");
        // Each row line marks column 1: a bare value FLOAT when non-empty,
        // STRING when empty; quoted values never make it FLOAT.
        std::string mark = "STRING";
        for (int r = 1; floatFirst && expected.MoveTo(r); ++r)
            mark = expected.GetValueAt(1) ? "FLOAT" : "STRING";
        expected.SetColumnType(1, mark);
        ExpectRoundTrip(table, expected, dir.File("q.txt"));
    }
}

TEST(RoundTripTest, EscapedForm) {
    testing::TempDir dir;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed + 1000);
        // Names cannot hold ; \ LF or CR here; types are not kept.
        TMlb2 table = RandomTable(rng, "ab NZ#\"\x82\xa0", 0,
                                  [&](int) { return Between(rng, 0, 1) ? "FLOAT" : "STRING"; });
        TMlb2 expected = Changed(table, AbsentAsEmpty);
        expected.SetTableName("e");
        for (int c = 1; c <= expected.ColumnCount(); ++c)
            expected.SetColumnType(c, "STRING");
        ExpectRoundTrip(table, expected, dir.File("e.csv"));
    }
}

TEST(RoundTripTest, BinaryForm) {
    testing::TempDir dir;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed + 2000);
        const char* types[] = {"FLOAT", "STRING", "DATE"};
        TMlb2 table =
            RandomTable(rng, kHardBytes, 0, [&](int) { return types[Between(rng, 0, 2)]; });
        TMlb2 expected = Changed(table, AbsentAsEmpty);
        for (int c = 1; c <= expected.ColumnCount(); ++c) {
            if (expected.GetColumnType(c) != Text("FLOAT"))
                expected.SetColumnType(c, "STRING");
        }
        ExpectRoundTrip(table, expected, dir.File("b.mlb"));
    }
}

} // namespace
} // namespace kelvo
