#include "session/Transparency.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(Transparency, LevelsAndUnknownValues) {
    EXPECT_EQ(OpacityForLevel(0), 255);
    EXPECT_EQ(OpacityForLevel(1), 200);
    EXPECT_EQ(OpacityForLevel(2), 150);
    EXPECT_EQ(OpacityForLevel(3), 100);
    // A hand-edited settings file may hold anything; it must not hide the window.
    EXPECT_EQ(OpacityForLevel(4), 255);
    EXPECT_EQ(OpacityForLevel(-1), 255);
}

} // namespace
} // namespace kelvo
