#pragma once

// File helpers shared by the platform code that writes through a temporary
// file; not for use outside platform/.

#include <string>
#include <string_view>

namespace kelvo {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    bool Close();

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes);

// Opens a regular file for reading; -1 for anything else, which is closed
// unread: a pipe or a device could block or never end. Opened without
// waiting, so a pipe without a writer is refused rather than waited on.
int OpenRegularFile(const std::string& path);

// A replacement keeps the permissions of the file it replaces; a new file gets
// the umask's, as open() gave it.
bool KeepModeOf(const std::string& path, int fd);

// A new, empty, hidden file beside targetPath, open for writing. It is removed
// again when the object goes, unless it was renamed away and Release()d.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& targetPath);
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    bool Valid() const { return file_.Valid(); }
    int Get() const { return file_.Get(); }
    const std::string& Path() const { return path_; }
    // Flushes the data to disk and closes the file.
    bool Finish();
    // The file no longer exists under Path(): nothing to remove.
    void Release() { path_.clear(); }

private:
    std::string path_; // before file_: its constructor fills path_ in
    FileDescriptor file_;
};

// Gives a file opened with O_TMPFILE the name path, never over a file there;
// false with errno set when it cannot (EEXIST: the name is taken).
bool LinkUnnamedFile(int fd, const std::string& path);

// Gives a file opened with O_TMPFILE a hidden temporary name beside
// targetPath, of the form TemporaryFile's names take; that name, or empty
// with errno set.
std::string LinkUnderTemporaryName(int fd, const std::string& targetPath);

// Removes from the folder the temporary files a process that is gone left
// behind (a close or a rewrite killed halfway); nothing else is touched.
// Returns how many were removed.
int RemoveLeftoverTemporaryFiles(const std::string& folder);

} // namespace kelvo
