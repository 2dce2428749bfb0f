#include "capture/FolderWriteWatch.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvo {

FolderWriteWatch::FolderWriteWatch(const QString& folder) : folder_(folder) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return;
    if (inotify_add_watch(fd_, QFile::encodeName(folder).constData(),
                          IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        close(fd_);
        fd_ = -1;
    }
}

FolderWriteWatch::~FolderWriteWatch() {
    if (fd_ >= 0)
        close(fd_);
}

QString FolderWriteWatch::TakeEvents() {
    alignas(inotify_event) char buffer[16 * 1024];
    while (written_.isEmpty()) {
        const ssize_t size = read(fd_, buffer, sizeof buffer);
        if (size <= 0)
            break;
        for (ssize_t at = 0; at < size;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof event;
            at += ssize_t(sizeof event + event.len);
            if (event.len == 0 || (event.mask & IN_ISDIR))
                continue;
            // The writer may create the file empty first and fill it later.
            const QString path = QDir(folder_).filePath(QFile::decodeName(name));
            if (QFileInfo(path).size() > 0) {
                written_ = path;
                break;
            }
        }
    }
    return written_;
}

QString FolderWriteWatch::AwaitWrittenFile(std::chrono::milliseconds limit) {
    if (fd_ < 0 || !TakeEvents().isEmpty())
        return written_;
    QEventLoop loop;
    QSocketNotifier readable(fd_, QSocketNotifier::Read);
    QObject::connect(&readable, &QSocketNotifier::activated, &loop, [&] {
        if (!TakeEvents().isEmpty())
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(limit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return written_;
}

} // namespace kelvo
