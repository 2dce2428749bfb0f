#include "platform/FileBytes.h"

#include "platform/TemporaryFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
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

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    TemporaryFile temp(path);
    if (!temp.Valid() || !KeepModeOf(path, temp.Get()) || !WriteAll(temp.Get(), bytes) ||
        !temp.Finish() || ::rename(temp.Path().c_str(), path.c_str()) != 0)
        return false;
    temp.Release();
    return true;
}

FileBlocks::FileBlocks(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st {};
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode))) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ >= 0)
        sizeHint_ = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
}

FileBlocks::~FileBlocks() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string_view FileBlocks::Next() {
    if (fd_ < 0 || failed_)
        return {};
    if (!buffer_)
        buffer_ = std::make_unique_for_overwrite<char[]>(kBlockSize);
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.get(), kBlockSize);
        if (got >= 0)
            return {buffer_.get(), static_cast<size_t>(got)};
        if (errno != EINTR) {
            failed_ = true;
            return {};
        }
    }
}

} // namespace kelvo
