#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace kelvo {

// What the index keeps of a file to tell, later, whether it is still the file
// it hashed: a rewrite changes the size or the modification time.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedSeconds = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at path (links followed); nothing when there
// is none: missing, a folder, a device.
std::optional<FileStamp> RegularFileStamp(const QString& path);

// The SHA-256 (32 bytes) of the file's bytes, read once, start to end;
// nothing when it cannot be opened or a read fails. Stamp the file before, so
// that a change while it is read shows later as a changed file.
std::optional<QByteArray> FileSha256(const QString& path);

// Canonical paths (links resolved) of files, each folder resolved once: the
// files of a day mostly share one, and resolving a path looks at each of its
// folders. A link changed while the object lives goes unseen: keep one for a
// pass only.
class RealPaths {
public:
    // Empty when the file is not there.
    QString Of(const QString& path);

private:
    QHash<QString, QString> folders_; // folder -> its canonical path, ending in the separator
};

} // namespace kelvo
