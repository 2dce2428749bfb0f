#pragma once

#include <QString>

namespace kelvo {

class DestinationList;

// "ListView.txt" and "TreeView.txt" in the home folder.
QString DestinationListPath(const QString& homeFolder);
QString DestinationTreePath(const QString& homeFolder);

// Start-up: once a list file has been written ("NORI"), the list comes from
// "ListView.txt" in file order; on the first run it is the single default
// destination "初期フォルダ" with the given folder. The tree always mirrors the
// list, so "TreeView.txt" only has its say in what it reports: the returned
// text names a line nested too deep, or is empty.
QString LoadDestinations(DestinationList& list, const QString& homeFolder, bool nori,
                         const QString& defaultFolder);

// Shutdown: "ListView.txt" (a failure goes unreported; the old file stays),
// then "TreeView.txt". Returns "ファイル … を作成できません" when the tree file
// cannot be written, else empty.
QString SaveDestinations(const DestinationList& list, const QString& homeFolder);

} // namespace kelvo
