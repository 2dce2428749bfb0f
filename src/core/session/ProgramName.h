#pragma once

#include <QString>

namespace kelvo {

// The version, from the build (the CMake project version), in one place.
QString KelvoVersion();
// The main window's caption and the version box's product name.
QString KelvoCaption();
// The program's name, as the message boxes and the tray show it.
QString KelvoName();
// A window's title: what it shows, then the program's name.
QString TitledWithKelvo(const QString& what);

} // namespace kelvo
