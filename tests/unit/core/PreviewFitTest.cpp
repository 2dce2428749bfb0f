#include "viewer/PreviewFit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <tuple>

namespace kelvo {

bool operator==(const FittedRect& a, const FittedRect& b) {
    return std::tie(a.x, a.y, a.width, a.height) == std::tie(b.x, b.y, b.width, b.height);
}

void PrintTo(const FittedRect& r, std::ostream* out) {
    *out << r.width << "x" << r.height << " at (" << r.x << "," << r.y << ")";
}

namespace {

struct FitCase {
    int width, height, targetWidth, targetHeight;
    FittedRect expected;
};

class FitPreviewCases : public testing::TestWithParam<FitCase> {};

TEST_P(FitPreviewCases, MatchesThePixelExactResult) {
    const FitCase& c = GetParam();
    EXPECT_EQ(FitPreview(c.width, c.height, c.targetWidth, c.targetHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ScaledDownCentredNeverEnlarged, FitPreviewCases,
    testing::Values(
        // Halved exactly by the width step.
        FitCase{400, 300, 200, 200, {0, 25, 200, 150}},
        // 190/900 as a double lies below the real quotient: the height comes out 189.
        FitCase{300, 900, 395, 190, {166, 0, 63, 189}},
        // Width step to 395 x 296, then the height step to 253 x 189.
        FitCase{640, 480, 395, 190, {71, 0, 253, 189}},
        // Already fits: drawn at its own size, centred.
        FitCase{100, 80, 395, 190, {147, 55, 100, 80}},
        FitCase{1000, 1000, 395, 190, {102, 0, 190, 190}},
        // Exactly the target size stays untouched.
        FitCase{395, 190, 395, 190, {0, 0, 395, 190}},
        // Odd leftover space: the fraction of the offset is cut off.
        FitCase{1, 1, 4, 4, {1, 1, 1, 1}}));

INSTANTIATE_TEST_SUITE_P(
    CollapsedTargets, FitPreviewCases,
    testing::Values(FitCase{400, 300, 0, 200, {0, 100, 0, 0}},
                    FitCase{400, 300, 200, 0, {100, 0, 0, 0}},
                    FitCase{400, 300, 0, 0, {0, 0, 0, 0}},
                    // A thin picture keeps its zero side and the other is scaled to 0.
                    FitCase{0, 300, 200, 0, {100, 0, 0, 0}},
                    // An empty source never loops and sits in the middle.
                    FitCase{0, 0, 395, 190, {197, 95, 0, 0}}, FitCase{0, 0, 0, 0, {0, 0, 0, 0}},
                    // A negative size from a collapsing pane counts as zero.
                    FitCase{400, 300, -5, 200, {0, 100, 0, 0}}));

TEST(FitPreview, NeverExceedsTheTargetAndKeepsTheShape) {
    for (int w = 1; w <= 2000; w += 37)
        for (int h = 1; h <= 2000; h += 41) {
            const FittedRect r = FitPreview(w, h, 137, 105);
            ASSERT_LE(r.width, 137) << w << "x" << h;
            ASSERT_LE(r.height, 105) << w << "x" << h;
            ASSERT_GE(r.x, 0);
            ASSERT_GE(r.y, 0);
            if (w > 137 || h > 105) {
                // A cut-off fraction costs at most one pixel of the side that fills the target.
                ASSERT_TRUE(r.width >= 136 || r.height >= 104) << w << "x" << h;
                // ... and at most two of each side overall, so the shape stays.
                ASSERT_LE(std::abs(r.width * h - r.height * w), 2 * (w + h)) << w << "x" << h;
            }
        }
}

} // namespace
} // namespace kelvo
