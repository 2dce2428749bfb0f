#pragma once

class QRect;
class QWidget;

namespace kelvo {

class SettingsFile;
struct WindowSettings;

// Centres the window, frame included, on the available area of its owner's
// screen, else the primary screen.
void CentreOnScreen(QWidget& window);

// A window's bounds as its section stores them, moved onto a screen and made
// no larger than it, never smaller than a usable window: a hand-edited or
// foreign settings file never opens a window out of reach.
QRect ReachableStoredBounds(const SettingsFile& settings, const WindowSettings& keys);

} // namespace kelvo
