#include "viewer/ViewerSizing.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

constexpr int kStatus = 20;
constexpr int kBar = 15;

TEST(ViewerSizingTest, ASmallPictureIsShownWholeWithoutBars) {
    const ViewerSizing sizing = SizeViewerToPicture({640, 480}, kStatus, {1024, 740}, kBar);
    EXPECT_EQ(sizing.client, QSize(640, 480 + kStatus));
    EXPECT_FALSE(sizing.horizontalBar || sizing.verticalBar || sizing.maximise);
}

TEST(ViewerSizingTest, AWidePictureGetsTheHorizontalBarAndTheScreensWidth) {
    const ViewerSizing sizing = SizeViewerToPicture({3000, 400}, kStatus, {1920, 1050}, kBar);
    EXPECT_TRUE(sizing.horizontalBar);
    EXPECT_FALSE(sizing.verticalBar);
    EXPECT_FALSE(sizing.maximise);
    // Room for the bar below the picture, so nothing is cut off.
    EXPECT_EQ(sizing.client, QSize(1920, 400 + kStatus + kBar));
}

TEST(ViewerSizingTest, ATallOrHugePictureTakesTheScreen) {
    const ViewerSizing tall = SizeViewerToPicture({500, 2000}, kStatus, {1920, 1050}, kBar);
    EXPECT_TRUE(tall.verticalBar);
    EXPECT_FALSE(tall.horizontalBar || tall.maximise);
    EXPECT_EQ(tall.client, QSize(500 + kBar, 1050));

    const ViewerSizing huge = SizeViewerToPicture({3000, 3000}, kStatus, {1920, 1050}, kBar);
    EXPECT_TRUE(huge.horizontalBar && huge.verticalBar && huge.maximise);
    EXPECT_EQ(huge.client, QSize(1920, 1050));

    // Just as tall as the screen once the status bar is counted.
    EXPECT_TRUE(SizeViewerToPicture({100, 1030}, kStatus, {1920, 1050}, kBar).verticalBar);
    EXPECT_FALSE(SizeViewerToPicture({100, 1029}, kStatus, {1920, 1050}, kBar).verticalBar);
}

} // namespace
} // namespace kelvo
