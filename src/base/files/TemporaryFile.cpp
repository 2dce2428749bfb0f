#include "files/TemporaryFile.h"

#include "files/PathParts.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {
namespace {

// Hidden, in the target's folder (rename and link only work within one file
// system), and unique across processes and calls.
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

} // namespace

int OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool LinkUnnamedFile(int fd, const std::string& path) {
    // /proc names the open file for every user; linking the descriptor itself
    // needs a capability, and serves only where /proc is not mounted.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != ENOENT)
        return false;
    return ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;
}

std::string LinkUnderTemporaryName(int fd, const std::string& targetPath) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string tempPath = TemporaryNameFor(targetPath, attempt);
        if (LinkUnnamedFile(fd, tempPath))
            return tempPath;
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

bool FileDescriptor::Close() {
    const bool ok = fd_ < 0 || ::close(fd_) == 0;
    fd_ = -1;
    return ok;
}

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

bool KeepModeOf(const std::string& path, int fd) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return true;
    return ::fchmod(fd, st.st_mode & 07777) == 0;
}

TemporaryFile::TemporaryFile(const std::string& targetPath)
    : file_(CreateTemporaryFile(targetPath, path_)) {
    if (!file_.Valid())
        path_.clear();
}

TemporaryFile::~TemporaryFile() {
    file_.Close();
    if (!path_.empty()) {
        const int savedErrno = errno;
        ::unlink(path_.c_str());
        errno = savedErrno;
    }
}

bool TemporaryFile::Finish() {
    return ::fdatasync(file_.Get()) == 0 && file_.Close();
}

namespace {

// ".NAME.tmp-PID-COUNTER-ATTEMPT", as TemporaryNameFor makes it; the PID, or
// 0 when the name is not of that shape.
pid_t OwnerOfTemporaryName(const std::string& name) {
    // Every file of every month folder passes here at each start: most are
    // turned away before the pattern is tried.
    if (!name.starts_with('.') || name.find(".tmp-") == std::string::npos)
        return 0;
    static const std::regex shape(R"(\..+\.tmp-([0-9]{1,10})-[0-9]+-[0-9]+)");
    std::smatch match;
    if (!std::regex_match(name, match, shape))
        return 0;
    const long long pid = std::stoll(match[1].str());
    return pid <= std::numeric_limits<pid_t>::max() ? pid_t(pid) : 0;
}

bool IsRunning(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

int RemoveLeftoverTemporaryFiles(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    int removed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const pid_t owner = OwnerOfTemporaryName(entry.path().filename().string());
        if (owner > 0 && !IsRunning(owner) && entry.is_regular_file(error) &&
            fs::remove(entry.path(), error))
            ++removed;
    }
    return removed;
}

} // namespace kelvo
