#include "destinations/PathShortening.h"

#include "files/PathParts.h"

namespace kelvo {
namespace {

const QString kSeparator = QString(QLatin1Char(kPathSeparator));
const QString kEllipsis = QStringLiteral("...") + kSeparator;

// Takes the first directory off: "/a/b/" and "/.../a/b/" both become
// "/.../b/"; the last directory leaves "/.../"; ".../" leaves nothing.
QString CutFirstDirectory(QString dir) {
    const bool rooted = dir.startsWith(kSeparator);
    if (rooted)
        dir.remove(0, 1);
    // Only the ellipsis put in by an earlier cut, not a hidden folder.
    if (dir.startsWith(kEllipsis))
        dir.remove(0, kEllipsis.size());
    const qsizetype next = dir.indexOf(kSeparator);
    if (next < 0)
        dir.clear();
    else
        dir = kEllipsis + dir.mid(next + 1);
    return rooted ? kSeparator + dir : dir;
}

} // namespace

QString ShortenPath(const QString& path, int width,
                    const std::function<int(const QString&)>& measure) {
    // There is no drive prefix on this platform; the separator is the only
    // delimiter.
    QString drive;
    const qsizetype split = path.lastIndexOf(kSeparator) + 1;
    QString dir = path.left(split);
    const QString name = path.mid(split);
    while (measure(drive + dir + name) > width && !(drive.isEmpty() && dir.isEmpty())) {
        if (dir == kSeparator + kEllipsis) {
            drive.clear();
            dir = kEllipsis;
        } else if (dir.isEmpty()) {
            drive.clear();
        } else {
            const QString cut = CutFirstDirectory(dir);
            // A bare "/" cannot be cut; dropping it keeps the loop going down.
            dir = cut == dir ? QString() : cut;
        }
    }
    return drive + dir + name;
}

} // namespace kelvo
