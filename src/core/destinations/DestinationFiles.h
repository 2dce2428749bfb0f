#pragma once

#include "session/HomeFiles.h"

#include <QString>
#include <QStringList>

namespace kelvo {

class DestinationList;
class SettingsFile;

// "ListView.txt" and "TreeView.txt" in the home folder.

struct DestinationsLoaded {
    QStringList problems; // to tell the user once the window shows
    // "ListView.txt" exists but could not be read, or has no header of the
    // two columns: it must not be written over until the user changes the list.
    bool listFileKept = false;
};

// Start-up: once a list file has been written ("NORI"), the list comes from
// "ListView.txt" in file order; on the first run, and when the file gives no
// destination, it is the single default destination "初期フォルダ" with the
// given folder. The tree always mirrors the list, so "TreeView.txt" only has
// its say in what is reported: a line nested too deep.
DestinationsLoaded LoadDestinations(DestinationList& list, const QString& homeFolder,
                                    bool listFileWritten, const QString& defaultFolder);

// As at start-up, from the settings file: the list file is read once one was
// written ("NORI"), and also when one is there though the settings were lost,
// rather than replaced by the default destination at the next close; the
// default's folder is the current one the settings name.
DestinationsLoaded LoadStoredDestinations(DestinationList& list, const SettingsFile& settings,
                                          const QString& homeFolder);

// Shutdown: "ListView.txt" (a failure goes unreported; the old file stays),
// then "TreeView.txt". Returns "ファイル … を作成できません" when the tree file
// cannot be written, else empty.
QString SaveDestinations(const DestinationList& list, const QString& homeFolder);

} // namespace kelvo
