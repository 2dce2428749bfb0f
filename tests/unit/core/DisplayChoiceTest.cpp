#include "session/DisplayChoice.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <vector>

namespace kelvo {
namespace {

TEST(DisplayChoice, XWaylandBesideWaylandIsPreferredWithWaylandAsFallback) {
    EXPECT_EQ(ForcedPlatform({"", "wayland-0", ":0", "wayland"}), "xcb;wayland");
    // Qt also goes to Wayland on the session type alone.
    EXPECT_EQ(ForcedPlatform({"", "", ":1", "wayland"}), "xcb;wayland");
}

TEST(DisplayChoice, TheUsersOwnChoiceStands) {
    EXPECT_EQ(ForcedPlatform({"wayland", "wayland-0", ":0", "wayland"}), "");
    EXPECT_EQ(ForcedPlatform({"offscreen", "wayland-0", ":0", ""}), "");
}

TEST(DisplayChoice, OneDisplayIsLeftToQt) {
    // A Wayland-only session: forcing X11 there would end the start.
    EXPECT_EQ(ForcedPlatform({"", "wayland-0", "", "wayland"}), "");
    EXPECT_EQ(ForcedPlatform({"", "", ":0", "x11"}), "");
    EXPECT_EQ(ForcedPlatform({"", "", "", "tty"}), "");
}

TEST(DisplayChoice, OnlyWaylandGetsTheStackingHint) {
    for (const char* platform : {"wayland", "wayland-egl"}) {
        const QString hint = StackingHint(QString::fromLatin1(platform));
        EXPECT_TRUE(hint.contains(QStringLiteral("ウィンドウメニュー"))) << platform;
    }
    for (const char* platform : {"xcb", "offscreen", ""})
        EXPECT_TRUE(StackingHint(QString::fromLatin1(platform)).isEmpty()) << platform;
}

// The process's own environment, put back as it was after each case.
class PreferX11ForWindowTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kNames)
            saved_.push_back(qEnvironmentVariableIsSet(name)
                                 ? std::optional<QByteArray>(qgetenv(name))
                                 : std::nullopt);
    }
    void TearDown() override {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            if (saved_[i])
                qputenv(kNames[i], *saved_[i]);
            else
                qunsetenv(kNames[i]);
        }
    }
    static void Set(const char* name, const char* value) {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }

    static constexpr const char* kNames[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY",
                                             "XDG_SESSION_TYPE"};
    std::vector<std::optional<QByteArray>> saved_;
};

TEST_F(PreferX11ForWindowTest, SetsThePlatformOnlyWhereBothDisplaysAreThere) {
    Set("QT_QPA_PLATFORM", nullptr);
    Set("WAYLAND_DISPLAY", "wayland-1");
    Set("DISPLAY", ":5");
    Set("XDG_SESSION_TYPE", nullptr);
    EXPECT_TRUE(PreferX11ForWindow());
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb;wayland");

    Set("QT_QPA_PLATFORM", nullptr);
    Set("DISPLAY", nullptr);
    EXPECT_FALSE(PreferX11ForWindow());
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
}

TEST_F(PreferX11ForWindowTest, LeavesTheUsersPlatformAlone) {
    Set("QT_QPA_PLATFORM", "wayland");
    Set("WAYLAND_DISPLAY", "wayland-1");
    Set("DISPLAY", ":5");
    EXPECT_FALSE(PreferX11ForWindow());
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "wayland");
}

} // namespace
} // namespace kelvo
