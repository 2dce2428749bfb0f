#pragma once

#include <QByteArray>
#include <QString>

namespace kelvo {

// What the environment says about the displays the window could open on.
struct DisplayEnvironment {
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM: the user's own choice
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray x11Display;     // DISPLAY, XWayland's in a Wayland session
    QByteArray sessionType;    // XDG_SESSION_TYPE
};

DisplayEnvironment CurrentDisplayEnvironment();

// The QT_QPA_PLATFORM to set before the window's application is made, or
// empty to leave Qt its own choice. Qt 6 takes Wayland where both are there,
// but only X11 keeps the window on top and lets Firefox hand over the
// original bytes (X Direct Save), so X11 comes first, Wayland as fallback.
QByteArray ForcedPlatform(const DisplayEnvironment& environment);

// Sets QT_QPA_PLATFORM by ForcedPlatform for the process; true when it did,
// so that it can be unset again once Qt has chosen.
bool PreferX11ForWindow();

// What the window says once at start on the given Qt platform, or empty.
QString StackingHint(const QString& platformName);

} // namespace kelvo
