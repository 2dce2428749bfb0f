#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace kelvo::testing {

// A file as the disk knows it: rewritten (even with the same bytes, even
// atomically) it gets another inode or another modification time.
struct FileIdentity {
    ino_t inode = 0;
    timespec modified{};

    bool operator==(const FileIdentity& other) const {
        return inode == other.inode && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

// Zero for a file that is not there.
inline FileIdentity IdentityOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_ino, st.st_mtim};
}

} // namespace kelvo::testing
