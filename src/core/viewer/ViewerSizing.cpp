#include "viewer/ViewerSizing.h"

#include <algorithm>

namespace kelvo {

ViewerSizing SizeViewerToPicture(QSize picture, int statusHeight, QSize screenClient,
                                 int barExtent) {
    ViewerSizing sizing;
    const int cx = screenClient.width();
    const int cy = screenClient.height();
    sizing.horizontalBar = picture.width() >= cx;
    sizing.verticalBar = picture.height() + statusHeight >= cy;
    sizing.maximise = sizing.horizontalBar && sizing.verticalBar;
    // Each bar takes room from the other direction.
    const int width = picture.width() + (sizing.verticalBar ? barExtent : 0);
    const int height = picture.height() + statusHeight + (sizing.horizontalBar ? barExtent : 0);
    sizing.client = QSize(std::min(width, cx), std::min(height, cy));
    return sizing;
}

} // namespace kelvo
