#pragma once

#include <QList>
#include <QRect>

namespace kelvo {

// Where a window whose bounds come from the settings file opens: whole, and
// on a screen. The screen is the one the stored bounds overlap most, else the
// first (a screen that is gone); the size is kept between minimum and the
// screen's available size, and the window is moved only as far as it must be
// to lie on the screen.
QRect ReachableBounds(const QRect& stored, const QList<QRect>& availableScreens,
                      const QSize& minimum);

// A splitter's first pane size, kept so that both panes keep at least
// minimum within room (when room allows).
int ReachablePaneSize(int stored, int room, int minimum);

} // namespace kelvo
