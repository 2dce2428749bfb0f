#pragma once

#include <QString>

#include <chrono>

namespace kelvo {

// Watches a folder for a file that another program writes and closes, such
// as a browser writing a dropped image: a file is whole once its writer has
// closed it (Linux inotify).
class FolderWriteWatch {
public:
    // Starts watching at once, so nothing written from now on is missed.
    explicit FolderWriteWatch(const QString& folder);
    ~FolderWriteWatch();
    FolderWriteWatch(const FolderWriteWatch&) = delete;
    FolderWriteWatch& operator=(const FolderWriteWatch&) = delete;

    bool IsWatching() const { return fd_ >= 0; }

    // The path of the first file in the folder that was closed after writing,
    // or moved in, with at least one byte; empty when none is within the
    // limit. Runs a local event loop meanwhile: the windows keep painting,
    // mouse and keyboard input waits.
    QString AwaitWrittenFile(std::chrono::milliseconds limit);

private:
    // Reads the events there are; the first written file, or empty.
    QString TakeEvents();

    QString folder_;
    int fd_ = -1;
    QString written_;
};

} // namespace kelvo
