#pragma once

#include "table/TMlb2.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace kelvo::test {

// A fresh folder per test, removed again afterwards. No dots in its name, so
// table names taken from paths inside it depend only on the file name.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("kelvo_table_test_" + std::to_string(rd()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

    // Names of everything in the folder, to catch leftover temporary files.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// A table with the given columns, all "STRING", and no rows.
inline void MakeColumns(TMlb2& table, std::initializer_list<std::string_view> names) {
    table.Clear();
    for (auto name : names)
        table.AddColumn(name);
}

// Appends a row, makes it current and fills it by position.
inline void AddRow(TMlb2& table, std::initializer_list<Text> values) {
    table.AppendRow();
    ASSERT_TRUE(table.MoveLast());
    int column = 1;
    for (const auto& value : values)
        ASSERT_TRUE(table.SetValueAt(column++, value));
}

inline std::string At(TMlb2& table, int column, int row) {
    return std::string(table.GetCell(column, row));
}

inline Text ValueAt(TMlb2& table, int column, int row) {
    if (!table.MoveTo(row))
        return std::nullopt;
    return table.GetValueAt(column);
}

} // namespace kelvo::test
