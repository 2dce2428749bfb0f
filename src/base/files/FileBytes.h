#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// The SHA-256 of a regular file's bytes (32 bytes), read once; nothing when it
// cannot be read whole, or is no regular file (a pipe is never waited on).
std::optional<std::string> Sha256OfFile(const std::string& path);

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
// disk and renamed over the target. A symbolic link is written through: the
// file it leads to is replaced, and the link stays. On any error the old file
// stays as it was, the temporary file is removed, and false is returned.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// The first and last bytes of a file that an append looks at before writing.
struct FileEnds {
    size_t size = 0;
    std::string head; // at most the headSize asked for
    std::string tail; // at most the tailSize asked for
};

enum class AppendResult { Appended, Declined, Failed };

// Appends bytes to an existing file when accept agrees, judging by its ends.
// The bytes go in one write() on an O_APPEND descriptor and are flushed to disk
// before Appended is returned; a write or flush that fails is cut off again,
// so the file ends as it did (Failed). Declined: the file is missing, is no
// regular file, or accept said no; nothing was written.
AppendResult AppendToFile(const std::string& path, std::string_view bytes, size_t headSize,
                          size_t tailSize, const std::function<bool(const FileEnds&)>& accept);

} // namespace kelvo
