#include "services/FileWatch.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace kelvo {
namespace {

// Writes of one change come as several events within a moment.
constexpr int kSettleTime = 50; // ms

} // namespace

FileWatch::FileWatch(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleTime);
    connect(&settle_, &QTimer::timeout, this, &FileWatch::Settle);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
            qOverload<>(&QTimer::start));
}

void FileWatch::Watch(const QString& path) {
    Stop();
    path_ = path;
    stamp_ = StampOf(path);
    watcher_.addPath(QFileInfo(path).absolutePath());
    if (stamp_)
        watcher_.addPath(path);
}

void FileWatch::Stop() {
    settle_.stop();
    if (const QStringList watched = watcher_.files() + watcher_.directories(); !watched.isEmpty())
        watcher_.removePaths(watched);
    path_.clear();
    stamp_.reset();
}

std::optional<FileWatch::Stamp> FileWatch::StampOf(const QString& path) {
    struct stat status = {};
    if (stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return Stamp{qint64(status.st_size),
                 qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
                 quint64(status.st_dev), quint64(status.st_ino)};
}

// A replaced file drops out of the watcher: the new one is watched again.
void FileWatch::Settle() {
    if (path_.isEmpty())
        return;
    const std::optional<Stamp> now = StampOf(path_);
    if (now && !watcher_.files().contains(path_))
        watcher_.addPath(path_);
    if (now == stamp_)
        return;
    stamp_ = now;
    emit Changed();
}

} // namespace kelvo
