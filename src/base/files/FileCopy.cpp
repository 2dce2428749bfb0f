#include "files/FileCopy.h"

#include "bytes/Sha256.h"
#include "files/PathParts.h"
#include "files/TemporaryFile.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

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

// Given a hash, the bytes are hashed on their way through.
bool CopyByReadAndWrite(int from, int to, Sha256* hash = nullptr) {
    // Left unfilled: zeroing a megabyte and faulting in its every page costs a
    // small capture more than its copy.
    const auto chunk = std::make_unique_for_overwrite<char[]>(kChunkSize);
    for (;;) {
        const ssize_t got = ::read(from, chunk.get(), kChunkSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        const std::string_view bytes(chunk.get(), static_cast<size_t>(got));
        if (hash)
            hash->Add(bytes);
        if (!WriteAll(to, bytes))
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

bool HardLinksUnsupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS ||
           error == EMLINK;
}

bool NoReplaceRenameUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

// Where an unnamed file cannot be named: no /proc and no capability to link
// the descriptor itself, or a file system that refuses.
bool NamingUnsupported(int error) {
    return error == ENOENT || error == EPERM || error == EOPNOTSUPP || error == ENOTSUP ||
           error == ENOSYS || error == EINVAL;
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

} // namespace

SourceCopy::SourceCopy(std::string source, UnnamedFiles unnamed)
    : SourceCopy(std::move(source), nullptr, unnamed) {}

SourceCopy::SourceCopy(std::shared_ptr<const std::string> bytes, UnnamedFiles unnamed)
    : SourceCopy(std::string(), std::move(bytes), unnamed) {}

SourceCopy::SourceCopy(std::string source, std::shared_ptr<const std::string> bytes,
                       UnnamedFiles unnamed)
    : source_(std::move(source)), bytes_(std::move(bytes)), unnamedFiles_(unnamed) {}

SourceCopy::~SourceCopy() = default;

// The copy goes beside the first name tried: linking works only within one
// file system.
CopyResult SourceCopy::Prepare(const std::string& target) {
    if (!FolderOfExists(target))
        return CopyResult::FolderMissing;
    FileDescriptor from(bytes_ ? -1 : OpenRegularFile(source_));
    if (!bytes_ && !from.Valid())
        return CopyResult::Failed;
    const std::string folder = FolderOf(target);
    if (unnamedFiles_ == UnnamedFiles::WhereSupported) {
        auto unnamed = std::make_unique<FileDescriptor>(
            ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        if (unnamed->Valid()) {
            if (!CopyAndHash(from.Get(), unnamed->Get()) || ::fdatasync(unnamed->Get()) != 0)
                return CopyResult::Failed;
            unnamed_ = std::move(unnamed);
            folder_ = folder;
            return CopyResult::Copied;
        }
        // Any refusal: the named way below meets a real problem again and
        // gives the answer.
    }
    auto named = std::make_unique<TemporaryFile>(target);
    if (!named->Valid() || !CopyAndHash(from.Get(), named->Get()) || ::fdatasync(named->Get()) != 0)
        return CopyResult::Failed;
    named_ = std::move(named);
    folder_ = folder;
    return CopyResult::Copied;
}

// Through this process rather than the kernel's copy: the one read of the
// source gives both the copy and its digest.
bool SourceCopy::CopyAndHash(int from, int to) {
    Sha256 hash;
    if (bytes_) {
        // A chunk at a time, hashed while it is still in the cache.
        for (std::string_view rest = *bytes_; !rest.empty();) {
            const std::string_view chunk = rest.substr(0, kChunkSize);
            hash.Add(chunk);
            if (!WriteAll(to, chunk))
                return false;
            rest.remove_prefix(chunk.size());
        }
        contentHash_ = hash.Finish();
        return true;
    }
    if (!CopyByReadAndWrite(from, to, &hash))
        return false;
    contentHash_ = hash.Finish();
    return true;
}

CopyResult SourceCopy::ReadyFor(const std::string& target) {
    if (published_) // one copy, one name
        return CopyResult::Failed;
    return folder_.empty()          ? Prepare(target)
           : FolderOfExists(target) ? CopyResult::Copied
                                    : CopyResult::FolderMissing;
}

CopyResult SourceCopy::PublishNoReplace(const std::string& target) {
    if (const CopyResult ready = ReadyFor(target); ready != CopyResult::Copied)
        return ready;
    return Published(unnamed_ ? PublishUnnamedNoReplace(target) : PublishNamedNoReplace(target));
}

CopyResult SourceCopy::PublishReplacing(const std::string& target) {
    if (const CopyResult ready = ReadyFor(target); ready != CopyResult::Copied)
        return ready;
    return Published(unnamed_ ? PublishUnnamedReplacing(target) : PublishNamedReplacing(target));
}

CopyResult SourceCopy::Published(CopyResult result) {
    if (result == CopyResult::Copied) {
        published_ = true;
        unnamed_.reset();
        named_.reset(); // its temporary name goes; the published one stays
    }
    return result;
}

bool SourceCopy::Elsewhere(const std::string& target, int error) const {
    return error == EXDEV && FolderOf(target) != folder_;
}

void SourceCopy::GiveUpUnnamedFiles() {
    unnamed_.reset();
    folder_.clear();
    unnamedFiles_ = UnnamedFiles::Never;
}

CopyResult SourceCopy::PublishUnnamedNoReplace(const std::string& target) {
    if (LinkUnnamedFile(unnamed_->Get(), target))
        return CopyResult::Copied;
    const int error = errno;
    if (error == EEXIST)
        return CopyResult::TargetExists;
    if (Elsewhere(target, error))
        return SourceCopy(source_, bytes_, unnamedFiles_).PublishNoReplace(target);
    if (!NamingUnsupported(error))
        return CopyResult::Failed;
    GiveUpUnnamedFiles();
    return PublishNoReplace(target);
}

CopyResult SourceCopy::PublishNamedNoReplace(const std::string& target) {
    if (::link(named_->Path().c_str(), target.c_str()) == 0)
        return CopyResult::Copied;
    if (errno == EEXIST)
        return CopyResult::TargetExists;
    if (Elsewhere(target, errno))
        return SourceCopy(source_, bytes_, unnamedFiles_).PublishNoReplace(target);
    if (!HardLinksUnsupported(errno))
        return CopyResult::Failed;
    if (RenameNoReplace(named_->Path(), target) == 0) {
        named_->Release();
        return CopyResult::Copied;
    }
    if (errno == EEXIST)
        return CopyResult::TargetExists;
    if (!NoReplaceRenameUnsupported(errno))
        return CopyResult::Failed;
    // Neither links nor a rename that refuses to replace: written once more
    // straight into the new name.
    return CopyIntoNewFile(named_->Path(), target);
}

CopyResult SourceCopy::PublishUnnamedReplacing(const std::string& target) {
    if (!KeepModeOf(target, unnamed_->Get()))
        return CopyResult::Failed;
    // A rename is what replaces whole; it needs a name to rename from.
    const std::string temp = LinkUnderTemporaryName(unnamed_->Get(), target);
    if (temp.empty()) {
        const int error = errno;
        if (Elsewhere(target, error))
            return SourceCopy(source_, bytes_, unnamedFiles_).PublishReplacing(target);
        if (!NamingUnsupported(error))
            return CopyResult::Failed;
        GiveUpUnnamedFiles();
        return PublishReplacing(target);
    }
    if (::rename(temp.c_str(), target.c_str()) == 0)
        return CopyResult::Copied;
    ::unlink(temp.c_str());
    return CopyResult::Failed;
}

CopyResult SourceCopy::PublishNamedReplacing(const std::string& target) {
    if (!KeepModeOf(target, named_->Get()))
        return CopyResult::Failed;
    if (::rename(named_->Path().c_str(), target.c_str()) == 0) {
        named_->Release();
        return CopyResult::Copied;
    }
    if (Elsewhere(target, errno))
        return SourceCopy(source_, bytes_, unnamedFiles_).PublishReplacing(target);
    return CopyResult::Failed;
}

bool NamesNonRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

bool NameTaken(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0;
}

bool NamesInFolder::Taken(const std::string& name) {
    // Listed once; a folder that cannot be listed is looked at name by name. A
    // listing cut short only misses names, and the link refuses those.
    if (!listed_ && ++looks_ == kLooksBeforeListing + 1) {
        if (DIR* folder = ::opendir(folder_.c_str())) {
            while (const dirent* entry = ::readdir(folder))
                names_.insert(entry->d_name);
            ::closedir(folder);
            listed_ = true;
        }
    }
    return listed_ ? names_.contains(name) : NameTaken(folder_ + name);
}

CopyResult CopyFileNoReplace(const std::string& source, const std::string& target) {
    return SourceCopy(source).PublishNoReplace(target);
}

CopyResult CopyFileReplacing(const std::string& source, const std::string& target) {
    return SourceCopy(source).PublishReplacing(target);
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
