#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Hands a file over a block at a time, through one reused buffer, so a large
// file is read without a copy of its own in memory.
class FileBlocks {
public:
    explicit FileBlocks(const std::string& path);
    ~FileBlocks();
    FileBlocks(const FileBlocks&) = delete;
    FileBlocks& operator=(const FileBlocks&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The file's size when opened; a hint, since the file may change.
    size_t SizeHint() const { return sizeHint_; }
    // The next block; empty at the end of the file or after an error. A block
    // stays valid until the next call.
    std::string_view Next();
    bool Failed() const { return failed_; }

private:
    static constexpr size_t kBlockSize = 64 * 1024;

    int fd_ = -1;
    size_t sizeHint_ = 0;
    bool failed_ = false;
    std::unique_ptr<char[]> buffer_;
};

// Replaces the file through a temporary file in the same folder, flushed to
// disk and renamed over the target. On any error the old file stays as it
// was, the temporary file is removed, and false is returned.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

} // namespace kelvo
