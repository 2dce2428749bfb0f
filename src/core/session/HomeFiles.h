#pragma once

#include <QString>

namespace kelvo {

// Every file and folder Kelvo keeps in its home folder, in one place. home
// ends in the separator; so do the folders given back.

// The settings, with no folder: the home lookup asks for it beside the program.
inline constexpr char16_t kSettingsFileName[] = u"kelvo.ini";

QString SettingsFilePath(const QString& home);    // kelvo.ini
QString DestinationListPath(const QString& home); // ListView.txt
QString DestinationTreePath(const QString& home); // TreeView.txt
QString HistoryTreeFilePath(const QString& home); // TreeViewLogs.txt
QString LogsFolderPath(const QString& home);      // Logs/, a folder per month
QString StagingFolderPath(const QString& home);   // .staging/, drops on their way
QString InstanceLockPath(const QString& home);    // kelvo.lock
// .run/: the hand-over socket's folder where the session has no private
// runtime folder.
QString RunFolderPath(const QString& home);

} // namespace kelvo
