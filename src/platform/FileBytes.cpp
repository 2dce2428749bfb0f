#include "platform/FileBytes.h"

#include "platform/PathParts.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    bool Close() {
        const bool ok = fd_ < 0 || ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Hidden, in the target's folder (rename only works within one file system),
// and unique across processes and calls.
std::string TemporaryNameFor(const std::string& path, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const auto slash = LastSeparator(path);
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(attempt);
}

int CreateTemporaryFile(const std::string& path, std::string& tempPath) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        tempPath = TemporaryNameFor(path, attempt);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A replacement keeps the permissions of the file it replaces; a new file gets
// the umask's, as open() gave it.
bool KeepModeOf(const std::string& path, int fd) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return true;
    return ::fchmod(fd, st.st_mode & 07777) == 0;
}

bool WriteDurably(const std::string& path, FileDescriptor& file, std::string_view bytes) {
    return KeepModeOf(path, file.Get()) && WriteAll(file.Get(), bytes) &&
           ::fdatasync(file.Get()) == 0 && file.Close();
}

} // namespace

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
    std::string tempPath;
    FileDescriptor file(CreateTemporaryFile(path, tempPath));
    if (!file.Valid())
        return false;
    if (!WriteDurably(path, file, bytes) || ::rename(tempPath.c_str(), path.c_str()) != 0) {
        ::unlink(tempPath.c_str());
        return false;
    }
    return true;
}

} // namespace kelvo
