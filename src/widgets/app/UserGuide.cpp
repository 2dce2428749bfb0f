#include "app/UserGuide.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kelvo {

QString UserGuideFile() {
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& path :
         {dir + QStringLiteral("/../share/doc/kelvo/guide.html"),
          dir + QStringLiteral("/guide.html"), QStringLiteral(KELVO_SOURCE_GUIDE)})
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    return {};
}

} // namespace kelvo
