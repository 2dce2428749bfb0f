#pragma once

#include <memory>
#include <string>
#include <unordered_set>

namespace kelvo {

enum class CopyResult { Copied, TargetExists, FolderMissing, Failed };

class FileDescriptor;
class TemporaryFile;

// One source file's bytes, copied at most once and flushed to disk, then
// given a name: however many names are tried, and whichever wins, the source
// is read and synced once. The copy waits without a name (O_TMPFILE) in the
// folder of the first name tried, so a process killed before it is named
// leaves nothing behind; where the file system has no such files, it waits
// under a hidden temporary name instead. Each copy gets one name at most.
class SourceCopy {
public:
    // Never: the hidden temporary name from the start, as on a file system
    // without unnamed files.
    enum class UnnamedFiles { WhereSupported, Never };

    explicit SourceCopy(std::string source, UnnamedFiles unnamed = UnnamedFiles::WhereSupported);
    // The source's bytes already in memory (a picture handed over whole):
    // written straight to the copy, with no file to read.
    explicit SourceCopy(std::shared_ptr<const std::string> bytes,
                        UnnamedFiles unnamed = UnnamedFiles::WhereSupported);
    SourceCopy(const SourceCopy&) = delete;
    SourceCopy& operator=(const SourceCopy&) = delete;
    ~SourceCopy();

    // Gives the copy the name target, never over a file there: a name taken
    // (by anyone, at any moment) gives TargetExists, and the same copy can be
    // offered another name.
    CopyResult PublishNoReplace(const std::string& target);
    // Gives the copy the name target, replacing a file there and keeping its
    // permissions.
    CopyResult PublishReplacing(const std::string& target);
    // Copied when the copy is made and target's folder is there to take it.
    // The first call makes the copy beside target, reading and syncing the
    // whole source: the slow part, which a caller may run on another thread
    // before publishing. Both ways of publishing call it themselves.
    CopyResult ReadyFor(const std::string& target);
    // Whether the copy is made: ReadyFor then only looks for target's folder.
    bool Made() const { return !folder_.empty(); }
    // The SHA-256 of the bytes copied (32 bytes), taken as they were copied;
    // empty until the copy is made.
    const std::string& ContentHash() const { return contentHash_; }

private:
    SourceCopy(std::string source, std::shared_ptr<const std::string> bytes, UnnamedFiles unnamed);
    CopyResult Prepare(const std::string& target);
    bool CopyAndHash(int from, int to);
    CopyResult PublishUnnamedNoReplace(const std::string& target);
    CopyResult PublishNamedNoReplace(const std::string& target);
    CopyResult PublishUnnamedReplacing(const std::string& target);
    CopyResult PublishNamedReplacing(const std::string& target);
    // The name target lies on another file system than the copy: a copy of
    // its own is made there.
    bool Elsewhere(const std::string& target, int error) const;
    // Naming unnamed files does not work here (no /proc): the copy is made
    // again under a hidden temporary name.
    void GiveUpUnnamedFiles();
    CopyResult Published(CopyResult result);

    std::string source_;
    std::shared_ptr<const std::string> bytes_; // when set, source_ is unused
    UnnamedFiles unnamedFiles_;
    std::string folder_; // where the copy waits; empty until it is made
    std::unique_ptr<FileDescriptor> unnamed_;
    std::unique_ptr<TemporaryFile> named_;
    bool published_ = false;
    std::string contentHash_;
};

// Whether path leads to something there that is no regular file: a folder, a
// pipe, a socket or a device, which is never copied (reading one may wait or
// never end). False for a name that leads nowhere.
bool NamesNonRegularFile(const std::string& path);

// Whether anything has that name: a file, a folder, a link (even one that
// points nowhere). A cheap look before a copy that would only be refused.
bool NameTaken(const std::string& path);

// NameTaken for name after name in one folder: the first few are looked at
// one by one, then the folder is listed once, so that hundreds of numbered
// names taken cost one listing rather than a look each. What the answer
// misses (a name taken since) the link that follows still refuses.
class NamesInFolder {
public:
    // folder ends in the separator.
    explicit NamesInFolder(std::string folder) : folder_(std::move(folder)) {}
    bool Taken(const std::string& name);

private:
    static constexpr int kLooksBeforeListing = 16;

    std::string folder_;
    int looks_ = 0;
    bool listed_ = false;
    std::unordered_set<std::string> names_;
};

// Copies source to target without ever replacing a file: the target name
// either does not appear or appears whole. A name taken by another process in
// the meantime gives TargetExists.
CopyResult CopyFileNoReplace(const std::string& source, const std::string& target);

// Copies source to target, replacing a file there, through a temporary file
// and a rename.
CopyResult CopyFileReplacing(const std::string& source, const std::string& target);

enum class RenameResult { Renamed, TargetExists, Failed };

// Gives the file another name without ever replacing a file of that name.
RenameResult RenameFileNoReplace(const std::string& from, const std::string& to);

// Sets the file's modification time, to the second; false when it cannot.
bool SetModificationTime(const std::string& path, long long secondsSinceEpoch);

} // namespace kelvo
