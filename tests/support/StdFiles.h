#pragma once

// Files and folders for the tests that run without Qt, such as those of the
// table store.

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace kelvo::testing {

// Sorted names of everything in the folder, hidden ones too, to catch leftover
// temporaries.
inline std::vector<std::string> EntriesOf(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

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
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> Entries() const { return EntriesOf(path_); }

private:
    std::filesystem::path path_;
};

// The whole file, or nothing when it cannot be opened or read.
inline std::optional<std::string> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

// The whole file; empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    return ReadFile(path).value_or(std::string());
}

// Replaces the file with the bytes; whether all of them were written.
inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    return bool(out);
}

// Files larger than the limit cannot be written, even by root: a write across
// it stops short or fails with EFBIG, as on a full disk. SIGXFSZ would end the
// process, so it is ignored while the limit holds.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace kelvo::testing
