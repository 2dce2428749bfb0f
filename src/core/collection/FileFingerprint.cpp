#include "collection/FileFingerprint.h"

#include "files/FileBytes.h"
#include "text/PathText.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace kelvo {

std::optional<FileStamp> RegularFileStamp(const QString& path) {
    struct stat st {};
    if (::stat(LocalPath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec)};
}

std::optional<QByteArray> FileSha256(const QString& path) {
    const std::optional<std::string> digest = Sha256OfFile(LocalPath(path));
    if (!digest)
        return std::nullopt;
    return QByteArray::fromStdString(*digest);
}

QString RealPaths::Of(const QString& path) {
    const QString folder = FolderPart(path);
    auto resolved = folders_.constFind(folder);
    if (resolved == folders_.cend())
        resolved =
            folders_.insert(folder, WithTrailingSeparator(QFileInfo(folder).canonicalFilePath()));
    struct stat st {};
    if (resolved->isEmpty() || ::lstat(LocalPath(path).c_str(), &st) != 0 || S_ISLNK(st.st_mode))
        return QFileInfo(path).canonicalFilePath();
    return *resolved + FileNamePart(path);
}

} // namespace kelvo
