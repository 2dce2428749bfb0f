#include "text/PathText.h"

#include "files/PathParts.h"

#include <QFile>
#include <algorithm>

namespace kelvo {
namespace {

qsizetype LastSeparatorIndex(const QString& path) {
    return path.lastIndexOf(QLatin1Char(kPathSeparator));
}

} // namespace

QString FileNamePart(const QString& path) {
    return path.mid(LastSeparatorIndex(path) + 1);
}

QString FolderPart(const QString& path) {
    return path.left(LastSeparatorIndex(path) + 1);
}

QString WithTrailingSeparator(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char(kPathSeparator)))
        return folder;
    return folder + QLatin1Char(kPathSeparator);
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool IsControlCharacter(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

bool HasControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(), IsControlCharacter);
}

} // namespace kelvo
