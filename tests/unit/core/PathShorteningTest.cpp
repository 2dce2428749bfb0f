#include "destinations/PathShortening.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

int Length(const QString& text) {
    return static_cast<int>(text.size());
}

// The distinct results for every width from the full length down to 0.
QStringList Results(const QString& path) {
    QStringList results;
    for (int width = Length(path); width >= 0; --width) {
        const QString text = ShortenPath(path, width, Length);
        // Either it fits or only the name is left.
        EXPECT_TRUE(Length(text) <= width || !text.contains('/')) << width;
        if (results.isEmpty() || results.last() != text)
            results.append(text);
    }
    return results;
}

TEST(PathShortening, GivesWayOneDirectoryAtATime) {
    // "/.../b/c/d/" is longer than "/a/b/c/d/", so no width ends on it: the
    // texts the loop measures show every step.
    QStringList measured;
    const auto record = [&](const QString& text) {
        measured.append(text);
        return Length(text);
    };
    EXPECT_EQ(ShortenPath("/a/b/c/d/", 0, record), "");
    EXPECT_EQ(measured, (QStringList{"/a/b/c/d/", "/.../b/c/d/", "/.../c/d/", "/.../d/", "/.../",
                                     ".../", ""}));

    EXPECT_EQ(Results("/aaaa/bbbb/cccc/dddd/"),
              (QStringList{"/aaaa/bbbb/cccc/dddd/", "/.../bbbb/cccc/dddd/", "/.../cccc/dddd/",
                           "/.../dddd/", "/.../", ".../", ""}));
}

TEST(PathShortening, KeepsTheNameAndLeavesFittingTextsAlone) {
    EXPECT_EQ(ShortenPath("/home/user/pictures/", 100, Length), "/home/user/pictures/");
    EXPECT_EQ(Results("/home/user/pic.png"),
              (QStringList{"/home/user/pic.png", "/.../user/pic.png", "/.../pic.png", ".../pic.png",
                           "pic.png"}));
    // A hidden folder is a directory like any other, not the ellipsis.
    EXPECT_EQ(ShortenPath("/.cache/x/y/", 11, Length), "/.../x/y/");
    EXPECT_EQ(ShortenPath("/pic.png", 2, Length), "pic.png");
    EXPECT_EQ(ShortenPath("", 0, Length), "");
}

} // namespace
} // namespace kelvo
