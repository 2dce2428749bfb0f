#pragma once

#include "table/TMlb2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace kelvo::test {

// A fresh folder per test, removed afterwards. No dot in its name, so table
// names taken from paths inside it depend only on the file name.
class TempDir {
public:
    TempDir()
        : path_(std::filesystem::temp_directory_path() /
                ("kelvo_table_test_" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Sorted names of everything in the folder, to catch leftover temporaries.
    std::vector<std::string> Entries() const { return EntriesOf(path_); }
    static std::vector<std::string> EntriesOf(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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

} // namespace kelvo::test
