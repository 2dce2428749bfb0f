#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvo {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// The SHA-256 of a regular file's bytes (32 bytes), read once; nothing when it
// cannot be read whole, or is no regular file (a pipe is never waited on).
std::optional<std::string> Sha256OfFile(const std::string& path);

// Reads the whole file into memory that allocate hands out: allocate(size)
// gives size bytes that stay valid. The file's size when opened is a hint:
// should it grow while it is read, allocate is asked again for more, and what
// was read is copied over. The bytes read, or nothing when the file cannot be
// opened or read, or is a folder.
std::optional<std::span<char>> ReadFileInto(const std::string& path,
                                            const std::function<char*(size_t)>& allocate);

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
