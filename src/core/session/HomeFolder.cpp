#include "session/HomeFolder.h"

#include "session/HomeFiles.h"
#include "text/PathText.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace kelvo {
namespace {

QString DefaultHomeFolder(const QString& executableFolder) {
    if (!executableFolder.isEmpty() &&
        QFileInfo::exists(QDir(executableFolder).filePath(QString::fromUtf16(kSettingsFileName))))
        return executableFolder;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kelvo");
}

} // namespace

QString ResolveHomeFolder(const QString& givenFolder, const QString& executableFolder,
                          HomeUse use) {
    const QString chosen =
        givenFolder.isEmpty() ? DefaultHomeFolder(executableFolder) : givenFolder;
    const QString folder = WithTrailingSeparator(QDir::cleanPath(QDir().absoluteFilePath(chosen)));
    if (use == HomeUse::Write)
        QDir().mkpath(folder);
    return folder;
}

QString PicturesDestinationFolder(const QString& picturesFolder) {
    if (picturesFolder.isEmpty() || HasControlCharacter(picturesFolder))
        return {};
    return WithTrailingSeparator(QDir::cleanPath(picturesFolder)) + QStringLiteral("Kelvo/");
}

QString DesktopPicturesFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
}

QString DefaultDestinationFolder(const QString& homeFolder, const QString& picturesDestination) {
    const bool newHome = !QFileInfo::exists(SettingsFilePath(homeFolder)) &&
                         !QFileInfo::exists(DestinationListPath(homeFolder));
    return newHome && !picturesDestination.isEmpty() ? picturesDestination : homeFolder;
}

QString TakeHomeOption(QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--home") && i + 1 < arguments.size()) {
            const QString folder = arguments[i + 1];
            arguments.remove(i, 2);
            return folder;
        }
        if (arguments[i].startsWith(QLatin1String("--home="))) {
            const QString folder = arguments[i].mid(7);
            arguments.remove(i);
            return folder;
        }
    }
    return {};
}

} // namespace kelvo
