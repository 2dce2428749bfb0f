#include "platform/FileCopy.h"

#include "platform/PathParts.h"
#include "platform/TemporaryFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace kelvo {
namespace {

constexpr size_t kChunkSize = size_t{1} << 20;
constexpr unsigned kRenameNoReplace = 1; // RENAME_NOREPLACE, not in every libc's headers

std::string FolderOf(const std::string& target) {
    const auto slash = LastSeparator(target);
    return slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
}

bool FolderOfExists(const std::string& target) {
    struct stat st {};
    return ::stat(FolderOf(target).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Only regular files: a pipe or a device could block or never end.
int OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool CopyByReadAndWrite(int from, int to) {
    std::vector<char> chunk(kChunkSize);
    for (;;) {
        const ssize_t got = ::read(from, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        if (!WriteAll(to, std::string_view(chunk.data(), static_cast<size_t>(got))))
            return false;
    }
}

bool KernelCannotCopy(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP ||
           error == EBADF || error == EPERM;
}

// The kernel copies without a trip through user space where it can. Both
// offsets advance, so the plain loop takes over from where it stopped; it also
// checks an end reported before any data (some pseudo file systems do that).
bool CopyContents(int from, int to) {
    bool copiedAny = false;
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kChunkSize * 64, 0);
        if (copied > 0) {
            copiedAny = true;
            continue;
        }
        if (copied == 0)
            return copiedAny || CopyByReadAndWrite(from, to);
        if (errno == EINTR)
            continue;
        return KernelCannotCopy(errno) && CopyByReadAndWrite(from, to);
    }
}

bool Fill(TemporaryFile& temp, const FileDescriptor& from) {
    return temp.Valid() && CopyContents(from.Get(), temp.Get()) && temp.Finish();
}

bool HardLinksUnsupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == EXDEV ||
           error == ENOSYS || error == EMLINK;
}

bool NoReplaceRenameUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
    return static_cast<int>(
        ::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), kRenameNoReplace));
#else
    errno = ENOSYS;
    return -1;
#endif
}

// Not atomic, but O_EXCL still never takes a name that exists. A partly
// written target is removed again; it is ours.
CopyResult CopyIntoNewFile(const std::string& source, const std::string& target) {
    FileDescriptor to(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!to.Valid())
        return errno == EEXIST ? CopyResult::TargetExists : CopyResult::Failed;
    FileDescriptor from(OpenRegularFile(source));
    if (from.Valid() && CopyContents(from.Get(), to.Get()) && ::fdatasync(to.Get()) == 0 &&
        to.Close())
        return CopyResult::Copied;
    ::unlink(target.c_str());
    return CopyResult::Failed;
}

CopyResult PublishWithoutReplacing(TemporaryFile& temp, const std::string& target) {
    if (::link(temp.Path().c_str(), target.c_str()) == 0)
        return CopyResult::Copied;
    if (errno == EEXIST)
        return CopyResult::TargetExists;
    if (!HardLinksUnsupported(errno))
        return CopyResult::Failed;
    if (RenameNoReplace(temp.Path(), target) == 0) {
        temp.Release();
        return CopyResult::Copied;
    }
    if (errno == EEXIST)
        return CopyResult::TargetExists;
    if (!NoReplaceRenameUnsupported(errno))
        return CopyResult::Failed;
    return CopyIntoNewFile(temp.Path(), target);
}

bool UnnamedFilesUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOENT ||
           error == EPERM || error == ENOSYS || error == EXDEV;
}

// The copy goes to a file without a name (O_TMPFILE) in the target's folder,
// which is then linked under the target name, never over a file there. A
// process killed before that leaves nothing behind, where a named temporary
// file would stay. Nothing when the file system cannot do it.
std::optional<CopyResult> CopyThroughUnnamedFile(const FileDescriptor& from,
                                                 const std::string& target) {
    FileDescriptor unnamed(
        ::open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (!unnamed.Valid())
        return std::nullopt;
    if (!CopyContents(from.Get(), unnamed.Get()) || ::fdatasync(unnamed.Get()) != 0)
        return CopyResult::Failed;
    const std::string self = "/proc/self/fd/" + std::to_string(unnamed.Get());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return CopyResult::Copied;
    if (errno == EEXIST)
        return CopyResult::TargetExists;
    if (UnnamedFilesUnsupported(errno) && ::lseek(from.Get(), 0, SEEK_SET) == 0)
        return std::nullopt;
    return CopyResult::Failed;
}

// The source's bytes in a temporary file beside the target, ready to be
// published under the target's name by publish.
template <typename Publish>
CopyResult CopyThroughTemporary(const std::string& source, const std::string& target,
                                Publish publish) {
    if (!FolderOfExists(target))
        return CopyResult::FolderMissing;
    FileDescriptor from(OpenRegularFile(source));
    if (!from.Valid())
        return CopyResult::Failed;
    TemporaryFile temp(target);
    return publish(temp, from);
}

} // namespace

CopyResult CopyFileNoReplace(const std::string& source, const std::string& target) {
    if (!FolderOfExists(target))
        return CopyResult::FolderMissing;
    FileDescriptor from(OpenRegularFile(source));
    if (!from.Valid())
        return CopyResult::Failed;
    if (const std::optional<CopyResult> copied = CopyThroughUnnamedFile(from, target))
        return *copied;
    TemporaryFile temp(target);
    return Fill(temp, from) ? PublishWithoutReplacing(temp, target) : CopyResult::Failed;
}

CopyResult CopyFileReplacing(const std::string& source, const std::string& target) {
    return CopyThroughTemporary(source, target, [&](TemporaryFile& temp, FileDescriptor& from) {
        if (!temp.Valid() || !KeepModeOf(target, temp.Get()) || !Fill(temp, from) ||
            ::rename(temp.Path().c_str(), target.c_str()) != 0)
            return CopyResult::Failed;
        temp.Release();
        return CopyResult::Copied;
    });
}

RenameResult RenameFileNoReplace(const std::string& from, const std::string& to) {
    if (RenameNoReplace(from, to) == 0)
        return RenameResult::Renamed;
    if (errno == EEXIST)
        return RenameResult::TargetExists;
    if (!NoReplaceRenameUnsupported(errno))
        return RenameResult::Failed;
    // A file system without the flag: a hard link never takes a name either.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno == EEXIST ? RenameResult::TargetExists : RenameResult::Failed;
    if (::unlink(from.c_str()) == 0)
        return RenameResult::Renamed;
    ::unlink(to.c_str());
    return RenameResult::Failed;
}

bool SetModificationTime(const std::string& path, long long secondsSinceEpoch) {
    struct timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(secondsSinceEpoch);
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

} // namespace kelvo
