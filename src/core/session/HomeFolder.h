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

// Takes "--home DIR" (or "--home=DIR") out of the arguments; empty when absent.
QString TakeHomeOption(QStringList& arguments);

} // namespace kelvo
