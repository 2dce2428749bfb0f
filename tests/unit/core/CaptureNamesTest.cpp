#include "capture/CaptureNames.h"
#include "logs/CaptureLog.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(BracketRemoval, TakesOnlyTheFirstGroupAndOnlyAWellFormedOne) {
    EXPECT_EQ(RemoveBracketGroup("photo[1].jpg"), "photo.jpg");
    EXPECT_EQ(RemoveBracketGroup("a[2]b[3].png"), "ab[3].png");
    EXPECT_EQ(RemoveBracketGroup("x]y[1.gif"), "x]y[1.gif"); // "]" before "["
    EXPECT_EQ(RemoveBracketGroup("open[only.jpg"), "open[only.jpg");
    EXPECT_EQ(RemoveBracketGroup("[]x.jpg"), "x.jpg");
    EXPECT_EQ(RemoveBracketGroup("写真[12].jpg"), "写真.jpg");
}

TEST(PathParts, SplitAtTheLastSeparatorOnly) {
    EXPECT_EQ(FileNamePart("/home/u/a:b.jpg"), "a:b.jpg");
    EXPECT_EQ(FolderPart("/home/u/a:b.jpg"), "/home/u/");
    EXPECT_EQ(FileNamePart("plain.jpg"), "plain.jpg");
    EXPECT_EQ(FolderPart("plain.jpg"), "");
}

QStringList FirstNames(const QString& droppedName, int count) {
    AutoRenameNames names(droppedName);
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << names.Next();
    return out;
}

TEST(AutoRenameNaming, NumbersOnFromTheBracketWhereItStood) {
    EXPECT_EQ(FirstNames("photo[1].jpg", 2), (QStringList{"photo[2].jpg", "photo[3].jpg"}));
    EXPECT_EQ(FirstNames("pic[9]x.png", 1), QStringList{"pic[10]x.png"});
    EXPECT_EQ(FirstNames("photo.jpg", 2), (QStringList{"photo[1].jpg", "photo[2].jpg"}));
    // The first dot counts, and a name without one gets the marker in front.
    EXPECT_EQ(FirstNames("my.photo.jpg", 1), QStringList{"my[1].photo.jpg"});
    EXPECT_EQ(FirstNames("image", 1), QStringList{"[1]image"});
}

TEST(AutoRenameNaming, ABracketThatIsNoNumberStartsAtOne) {
    EXPECT_EQ(FirstNames("photo[].jpg", 1), QStringList{"photo[1].jpg"});
    EXPECT_EQ(FirstNames("photo[ab].jpg", 1), QStringList{"photo[1].jpg"});
    EXPECT_EQ(FirstNames("photo[-3].jpg", 1), QStringList{"photo[1].jpg"});
    EXPECT_EQ(FirstNames("photo[99999999999999999999].jpg", 1), QStringList{"photo[1].jpg"});
    // No bracket group at all: the marker goes before the first dot.
    EXPECT_EQ(FirstNames("x]y[1.gif", 1), QStringList{"x]y[1[1].gif"});
}

TEST(CaptureLogPlaces, FollowTheCaptureTime) {
    const QDateTime time(QDate(2006, 5, 30), QTime(14, 3, 7));
    EXPECT_EQ(CaptureTimeText(time), "2006/05/30 14:03:07");
    EXPECT_EQ(CaptureTimeText(QDateTime(QDate(2006, 1, 2), QTime(0, 0, 1))), "2006/01/02 00:00:01");
    EXPECT_EQ(DailyLogPath("/h/", time), "/h/Logs/2006年05月/20060530.txt");
    EXPECT_EQ(MonthFolderPath("/h/", time), "/h/Logs/2006年05月/");
}

// A group that is all the name has before its extension stays: without it
// the name would be hidden or no name at all.
TEST(BracketRemoval, KeepsAGroupThatIsTheWholeStem) {
    for (const QString name : {"[1].jpg", "[1]", "..[1]", "..[1].jpg", "[x]..png"})
        EXPECT_EQ(RemoveBracketGroup(name), name) << name.toStdString();
    EXPECT_EQ(RemoveBracketGroup("a[1]"), "a");
    EXPECT_EQ(RemoveBracketGroup("[1]photo"), "photo");
    EXPECT_EQ(FirstNames("[1].jpg", 2), (QStringList{"[1][1].jpg", "[1][2].jpg"}));
}

} // namespace
} // namespace kelvo
