#include "TableTestSupport.h"

#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kelvo {
namespace {

// A table as plain data, to build from and compare with.
struct Model {
    std::string name;
    std::vector<std::string> columns;
    std::vector<std::string> types;
    std::vector<std::vector<std::optional<std::string>>> rows;
};

// Bytes that stress every form: separators, quotes, escapes, line ends,
// spaces and Shift-JIS bytes. No zero bytes: texts end at a zero.
constexpr std::string_view kHardBytes = ";\"\\\n\r nN#aZ09\x82\xa0\x83\xff";
constexpr std::string_view kPlainBytes = "abcXYZ0123456789";

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    std::string Random(std::string_view alphabet, int minLength, int maxLength) {
        std::string text;
        const int length = Between(minLength, maxLength);
        for (int i = 0; i < length; ++i)
            text +=
                alphabet[static_cast<size_t>(Between(0, static_cast<int>(alphabet.size()) - 1))];
        return text;
    }

    // alphabetFn (column) gives the bytes that column's values may hold.
    template <typename NameFn, typename TypeFn, typename AlphabetFn>
    Model Table(NameFn nameFn, TypeFn typeFn, AlphabetFn alphabetFn) {
        Model model;
        model.name = Random(kHardBytes, 0, 8);
        const int columns = Between(1, 5);
        for (int c = 0; c < columns; ++c) {
            model.columns.push_back(nameFn(*this));
            model.types.push_back(typeFn(*this, c));
        }
        const int rows = Between(0, 12);
        for (int r = 0; r < rows; ++r) {
            std::vector<std::optional<std::string>> row;
            for (int c = 0; c < columns; ++c) {
                if (Between(0, 5) == 0)
                    row.push_back(std::nullopt);
                else
                    row.push_back(Random(alphabetFn(c), 0, 12));
            }
            model.rows.push_back(row);
        }
        return model;
    }

private:
    std::mt19937 rng_;
};

void Fill(TMlb2& table, const Model& model) {
    table.Clear();
    table.SetTableName(model.name);
    for (size_t c = 0; c < model.columns.size(); ++c) {
        table.AddColumn(model.columns[c]);
        table.SetColumnType(static_cast<int>(c + 1), model.types[c]);
    }
    for (const auto& row : model.rows) {
        table.AppendRow();
        table.MoveNext();
        for (size_t c = 0; c < row.size(); ++c) {
            if (row[c])
                table.SetValueAt(static_cast<int>(c + 1), *row[c]);
        }
    }
}

void ExpectTable(TMlb2& table, const Model& model) {
    ASSERT_EQ(table.ColumnCount(), static_cast<int>(model.columns.size()));
    for (size_t c = 0; c < model.columns.size(); ++c) {
        EXPECT_EQ(table.GetColumnName(static_cast<int>(c + 1)), Text(model.columns[c]));
        EXPECT_EQ(table.GetColumnType(static_cast<int>(c + 1)), Text(model.types[c]));
    }
    ASSERT_EQ(table.RowCount(), static_cast<int>(model.rows.size()));
    EXPECT_EQ(table.CurrentRow(), table.RowCount()); // the last row read
    for (size_t r = 0; r < model.rows.size(); ++r) {
        ASSERT_TRUE(table.MoveTo(static_cast<int>(r + 1)));
        for (size_t c = 0; c < model.columns.size(); ++c) {
            const auto& want = model.rows[r][c];
            EXPECT_EQ(table.GetValueAt(static_cast<int>(c + 1)),
                      want ? Text(*want) : Text(std::nullopt))
                << "row " << r + 1 << " column " << c + 1;
        }
    }
}

// Saves through a file, loads into a fresh table and compares.
void RoundTrip(const Model& written, const Model& expected, const std::string& path) {
    TMlb2 table;
    Fill(table, written);
    ASSERT_TRUE(table.Save(path));
    TMlb2 back;
    back.Clear();
    ASSERT_TRUE(back.Load(path));
    ExpectTable(back, expected);
}

constexpr unsigned kSeeds = 40;

TEST(RoundTripTest, QuotedForm) {
    test::TempDir dir;
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE(seed);
        Generator gen(seed);
        // Column 1 may be FLOAT with bare-safe values; names must not be empty.
        const bool floatFirst = gen.Between(0, 1) == 1;
        Model model =
            gen.Table([](Generator& g) { return g.Random(kHardBytes, 1, 10); },
                      [&](Generator&, int c) { return c == 0 && floatFirst ? "FLOAT" : "STRING"; },
                      [&](int c) { return c == 0 && floatFirst ? kPlainBytes : kHardBytes; });
        Model expected = model;
        expected.name = "q";
        std::string mark = "STRING";
        for (auto& row : expected.rows) {
            for (auto& value : row) {
                if (value && value->empty())
                    value.reset();
            }
            // Column 1 is marked by each row line in turn.
            if (floatFirst)
                mark = row[0] ? "FLOAT" : "STRING";
            else if (row[0])
                mark = "STRING";
        }
        expected.types.assign(model.types.size(), "STRING");
        expected.types[0] = mark;
        RoundTrip(model, expected, dir.File("q.txt"));
    }
}

TEST(RoundTripTest, EscapedForm) {
    test::TempDir dir;
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE(seed);
        Generator gen(seed + 1000);
        // Names may be empty but cannot hold ; \ LF or CR.
        Model model =
            gen.Table([](Generator& g) { return g.Random("ab NZ#\"\x82\xa0", 0, 10); },
                      [](Generator& g, int) { return g.Between(0, 1) == 1 ? "FLOAT" : "STRING"; },
                      [](int) { return kHardBytes; });
        Model expected = model;
        expected.name = "e";
        expected.types.assign(model.types.size(), "STRING");
        for (auto& row : expected.rows) {
            for (auto& value : row) {
                if (!value)
                    value = "";
            }
        }
        RoundTrip(model, expected, dir.File("e.csv"));
    }
}

TEST(RoundTripTest, BinaryForm) {
    test::TempDir dir;
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE(seed);
        Generator gen(seed + 2000);
        Model model = gen.Table([](Generator& g) { return g.Random(kHardBytes, 0, 10); },
                                [](Generator& g, int) {
                                    const int pick = g.Between(0, 2);
                                    return pick == 0 ? "FLOAT" : pick == 1 ? "STRING" : "DATE";
                                },
                                [](int) { return kHardBytes; });
        Model expected = model;
        for (auto& type : expected.types) {
            if (type != "FLOAT")
                type = "STRING";
        }
        for (auto& row : expected.rows) {
            for (auto& value : row) {
                if (!value)
                    value = "";
            }
        }
        RoundTrip(model, expected, dir.File("b.mlb"));

        // The pure reader and writer agree with the file path.
        TMlb2 table;
        Fill(table, model);
        TMlb2 back;
        back.Clear();
        ASSERT_TRUE(ReadBinaryForm(WriteBinaryForm(table), back));
        EXPECT_EQ(back.TableName(), model.name);
        ExpectTable(back, expected);
    }
}

} // namespace
} // namespace kelvo
