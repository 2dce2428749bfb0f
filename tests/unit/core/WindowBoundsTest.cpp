#include "session/WindowBounds.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

const QRect kLeftScreen(0, 0, 1920, 1040); // a task bar below
const QRect kRightScreen(1920, 0, 1280, 1024);
const QSize kMinimum(120, 100);

TEST(WindowBounds, BoundsThatFitStayAsTheyWere) {
    EXPECT_EQ(ReachableBounds({100, 100, 287, 292}, {kLeftScreen}, kMinimum),
              QRect(100, 100, 287, 292));
    EXPECT_EQ(ReachableBounds({2000, 50, 600, 400}, {kLeftScreen, kRightScreen}, kMinimum),
              QRect(2000, 50, 600, 400));
}

// Width=100000 made a window no one could paint; -5000,-5000 one no one could see.
TEST(WindowBounds, AHugeOrFarAwayWindowIsBroughtWholeOntoItsScreen) {
    EXPECT_EQ(ReachableBounds({100, 100, 100000, 100000}, {kLeftScreen}, kMinimum), kLeftScreen);
    EXPECT_EQ(ReachableBounds({-5000, -5000, 287, 292}, {kLeftScreen}, kMinimum),
              QRect(0, 0, 287, 292));
    EXPECT_EQ(ReachableBounds({1800, 900, 400, 300}, {kLeftScreen}, kMinimum),
              QRect(1520, 740, 400, 300));
    EXPECT_EQ(ReachableBounds({10, 10, -50, 0}, {kLeftScreen}, kMinimum), QRect(10, 10, 120, 100));
}

TEST(WindowBounds, AWindowOfAScreenThatIsGoneOpensOnTheFirst) {
    EXPECT_EQ(ReachableBounds({2100, 200, 683, 500}, {kLeftScreen}, kMinimum),
              QRect(1237, 200, 683, 500));
    // Across two screens: the one it overlaps most.
    EXPECT_EQ(ReachableBounds({1800, 100, 800, 300}, {kLeftScreen, kRightScreen}, kMinimum),
              QRect(1920, 100, 800, 300));
}

TEST(WindowBounds, BothPanesOfASplitterStayReachable) {
    EXPECT_EQ(ReachablePaneSize(120, 400, 24), 120);
    EXPECT_EQ(ReachablePaneSize(-10, 400, 24), 24);
    EXPECT_EQ(ReachablePaneSize(5000, 400, 24), 376);
    EXPECT_EQ(ReachablePaneSize(30, 40, 24), 20);
}

} // namespace
} // namespace kelvo
