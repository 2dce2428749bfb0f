#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <optional>

namespace kelvo {

// Tells when one file changes: written, replaced by a rename, made or removed.
// Its folder is watched too, since a file replaced by a rename is a new file
// that a watch on the old one never sees. The events of one change are told
// once, and only when the file's size, time or identity has moved.
class FileWatch : public QObject {
    Q_OBJECT

public:
    explicit FileWatch(QObject* parent = nullptr);

    // Watches path from now on, in place of the one before.
    void Watch(const QString& path);
    void Stop();
    const QString& Path() const { return path_; }

signals:
    void Changed();

private:
    struct Stamp {
        qint64 size = 0;
        qint64 modified = 0; // ns
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    static std::optional<Stamp> StampOf(const QString& path);
    void Settle();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QString path_;
    std::optional<Stamp> stamp_;
};

} // namespace kelvo
