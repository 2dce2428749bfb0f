#pragma once

#include <QString>

namespace kelvo {

// The folder of kelvo.ini, the lists, the trees and "Logs", ending in the
// separator: the given one; else the executable's folder when a kelvo.ini lies
// there (a portable install); else ~/.local/share/kelvo/. Created when missing,
// unless only to be read from.
enum class HomeUse { Write, ReadOnly };
QString ResolveHomeFolder(const QString& givenFolder, const QString& executableFolder,
                          HomeUse use = HomeUse::Write);

// The desktop's pictures folder + "Kelvo/", where captures go until the user
// chooses a folder: made at the first capture into it. Empty where the desktop
// names no pictures folder, or one whose name holds a control character (a
// line break would split the folder's line in kelvo.ini).
QString PicturesDestinationFolder(const QString& picturesFolder);
QString DesktopPicturesFolder(); // QStandardPaths' pictures location

// The folder of the default destination (初期フォルダ): a new home (no
// kelvo.ini, no destination list) takes the pictures destination when there is
// one; a home that has either keeps the home itself, as it always had.
QString DefaultDestinationFolder(const QString& homeFolder, const QString& picturesDestination);

// Takes "--home DIR" (or "--home=DIR") out of the arguments; empty when absent.
QString TakeHomeOption(QStringList& arguments);

} // namespace kelvo
