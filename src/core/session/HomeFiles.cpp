#include "session/HomeFiles.h"

namespace kelvo {

QString SettingsFilePath(const QString& home) {
    return home + QString::fromUtf16(kSettingsFileName);
}

QString DestinationListPath(const QString& home) {
    return home + QStringLiteral("ListView.txt");
}

QString DestinationTreePath(const QString& home) {
    return home + QStringLiteral("TreeView.txt");
}

QString HistoryTreeFilePath(const QString& home) {
    return home + QStringLiteral("TreeViewLogs.txt");
}

QString LogsFolderPath(const QString& home) {
    return home + QStringLiteral("Logs/");
}

QString StagingFolderPath(const QString& home) {
    return home + QStringLiteral(".staging/");
}

QString InstanceLockPath(const QString& home) {
    return home + QStringLiteral("kelvo.lock");
}

QString RunFolderPath(const QString& home) {
    return home + QStringLiteral(".run/");
}

} // namespace kelvo
