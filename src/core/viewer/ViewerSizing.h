#pragma once

#include <QSize>

namespace kelvo {

// How the full-size viewer sizes itself for a picture.
struct ViewerSizing {
    QSize client;               // the window's inside: picture, bars and status bar
    bool horizontalBar = false; // the picture is at least as wide as the screen
    bool verticalBar = false;   // picture and status bar are at least as tall
    bool maximise = false;      // both: the window takes the whole screen
};

// picture: the picture's size; statusHeight: the status bar's height;
// screenClient: the largest inside a window can have on the screen the viewer
// is on (its available area less the window frame); barExtent: the thickness
// of a scroll bar. A picture that fits gets a window that shows it whole
// without bars; where it does not fit, the window takes the screen's size in
// that direction and shows a bar, and leaves room for the other bar.
ViewerSizing SizeViewerToPicture(QSize picture, int statusHeight, QSize screenClient,
                                 int barExtent);

} // namespace kelvo
