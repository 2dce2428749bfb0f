#include "files/FileBytes.h"

#include "bytes/Sha256.h"

#include "files/TemporaryFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

std::optional<std::string> ReadFileBytes(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid())
        return std::nullopt;
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    std::string bytes;
    // The size is a hint only: the file may grow or shrink while it is read.
    size_t capacity = st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 4096;
    size_t filled = 0;
    for (;;) {
        bytes.resize(capacity);
        const ssize_t got = ::read(file.Get(), bytes.data() + filled, capacity - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
        if (filled == capacity)
            capacity *= 2;
    }
    bytes.resize(filled);
    return bytes;
}

namespace {

constexpr int kMaxLinkHops = 40; // as the kernel allows

// The file a chain of symbolic links ends at, whether it exists or not: a
// file linked into a synced folder is replaced there, and the link stays.
std::string LinkTarget(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path at(path);
    std::error_code error;
    for (int hop = 0; hop < kMaxLinkHops && fs::is_symlink(fs::symlink_status(at, error)); ++hop) {
        const fs::path next = fs::read_symlink(at, error);
        if (error)
            break;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return at.string();
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string target = LinkTarget(path);
    TemporaryFile temp(target);
    if (!temp.Valid() || !KeepModeOf(target, temp.Get()) || !WriteAll(temp.Get(), bytes) ||
        !temp.Finish() || ::rename(temp.Path().c_str(), target.c_str()) != 0)
        return false;
    temp.Release();
    return true;
}

namespace {

bool ReadAt(int fd, std::string& into, size_t count, off_t offset) {
    into.resize(count);
    size_t filled = 0;
    while (filled < count) {
        const ssize_t got =
            ::pread(fd, into.data() + filled, count - filled, offset + static_cast<off_t>(filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        filled += static_cast<size_t>(got);
    }
    return true;
}

std::optional<FileEnds> ReadEnds(int fd, size_t headSize, size_t tailSize) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    FileEnds ends;
    ends.size = static_cast<size_t>(st.st_size);
    const size_t tail = std::min(tailSize, ends.size);
    if (!ReadAt(fd, ends.head, std::min(headSize, ends.size), 0) ||
        !ReadAt(fd, ends.tail, tail, static_cast<off_t>(ends.size - tail)))
        return std::nullopt;
    return ends;
}

// One write() for the whole: a reader or a crash sees all of it or a prefix,
// never bytes from two appends interleaved.
bool WriteOnce(int fd, std::string_view bytes) {
    ssize_t written;
    do {
        written = ::write(fd, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(bytes.size());
}

} // namespace

AppendResult AppendToFile(const std::string& path, std::string_view bytes, size_t headSize,
                          size_t tailSize, const std::function<bool(const FileEnds&)>& accept) {
    FileDescriptor file(::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC));
    if (!file.Valid())
        return errno == ENOENT ? AppendResult::Declined : AppendResult::Failed;
    const std::optional<FileEnds> ends = ReadEnds(file.Get(), headSize, tailSize);
    if (!ends || !accept(*ends))
        return AppendResult::Declined;
    if (WriteOnce(file.Get(), bytes) && ::fdatasync(file.Get()) == 0)
        return AppendResult::Appended;
    // Whatever part reached the file is taken back; the caller may retry.
    if (::ftruncate(file.Get(), static_cast<off_t>(ends->size)) == 0)
        ::fdatasync(file.Get());
    return AppendResult::Failed;
}

std::optional<std::span<char>> ReadFileInto(const std::string& path,
                                            const std::function<char*(size_t)>& allocate) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!file.Valid() || ::fstat(file.Get(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    // One byte over the size, so that the read which finds the end needs no more.
    size_t capacity = st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 4096;
    char* bytes = allocate(capacity);
    size_t filled = 0;
    for (;;) {
        const ssize_t got = ::read(file.Get(), bytes + filled, capacity - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return std::span<char>(bytes, filled);
        filled += static_cast<size_t>(got);
        if (filled == capacity) {
            capacity *= 2;
            char* grown = allocate(capacity);
            std::memcpy(grown, bytes, filled);
            bytes = grown;
        }
    }
}

std::optional<std::string> Sha256OfFile(const std::string& path) {
    FileDescriptor file(OpenRegularFile(path));
    if (!file.Valid())
        return std::nullopt;
    Sha256 hash;
    std::vector<char> chunk(size_t{1} << 20);
    for (;;) {
        const ssize_t got = ::read(file.Get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return hash.Finish();
        hash.Add(std::string_view(chunk.data(), static_cast<size_t>(got)));
    }
}

} // namespace kelvo
