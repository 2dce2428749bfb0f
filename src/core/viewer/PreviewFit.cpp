#include "viewer/PreviewFit.h"

#include <algorithm>

namespace kelvo {

namespace {

// The products are formed in long double (64-bit mantissa on x86-64) and cut,
// not rounded, so a result meant to be exactly W or H may come out one short;
// previews must match that pixel for pixel.
void ScaleBy(double ratio, int& width, int& height) {
    const long double r = ratio;
    width = static_cast<int>(static_cast<long double>(width) * r);
    height = static_cast<int>(static_cast<long double>(height) * r);
}

} // namespace

FittedRect FitPreview(int width, int height, int targetWidth, int targetHeight) {
    // A collapsed pane may report a negative size; it still means "nothing fits".
    const int W = std::max(targetWidth, 0);
    const int H = std::max(targetHeight, 0);
    int w = std::max(width, 0);
    int h = std::max(height, 0);
    // Each step only runs when w > W >= 0 (or h > H >= 0), so the divisor is never 0,
    // and a zero target drives the ratio to 0, which ends the loop.
    while (w > W || h > H) {
        if (w > W)
            ScaleBy(static_cast<double>(W) / static_cast<double>(w), w, h);
        if (h > H)
            ScaleBy(static_cast<double>(H) / static_cast<double>(h), w, h);
    }
    return {(W - w) / 2, (H - h) / 2, w, h};
}

} // namespace kelvo
