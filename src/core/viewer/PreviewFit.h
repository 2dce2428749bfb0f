#pragma once

namespace kelvo {

// Where a picture of width x height is drawn in a target area: scaled down to
// fit, aspect ratio kept, never enlarged, centred.
struct FittedRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

FittedRect FitPreview(int width, int height, int targetWidth, int targetHeight);

} // namespace kelvo
