#include "viewer/FileFacts.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace kelvo {
namespace {

TEST(SizeText, GroupsThousandsWithTheLocaleSeparator) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    EXPECT_EQ(SizeText(999, english), QStringLiteral("999ﾊﾞｲﾄ"));
    EXPECT_EQ(SizeText(1000, english), QStringLiteral("1,000ﾊﾞｲﾄ"));
    EXPECT_EQ(SizeText(12345, japanese), QStringLiteral("12,345ﾊﾞｲﾄ"));
    // Beyond 32 bits: a large file must not wrap around.
    EXPECT_EQ(SizeText(5'000'000'000, japanese), QStringLiteral("5,000,000,000ﾊﾞｲﾄ"));
    EXPECT_EQ(SizeText(1234567, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("1.234.567ﾊﾞｲﾄ"));
}

TEST(SizeText, GroupsEvenWhereTheLocaleWouldOmitTheSeparator) {
    QLocale plain(QLocale::English, QLocale::UnitedStates);
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    EXPECT_EQ(SizeText(1000, plain), QStringLiteral("1,000ﾊﾞｲﾄ"));
    // The C locale omits it by default.
    EXPECT_EQ(SizeText(1000, QLocale::c()), QStringLiteral("1,000ﾊﾞｲﾄ"));
}

TEST(PictureKindOf, UsesTheLastExtensionInAnyCase) {
    EXPECT_EQ(PictureKindOf("photo.jpg"), PictureKind::Jpeg);
    EXPECT_EQ(PictureKindOf("photo.Jpeg"), PictureKind::Jpeg);
    EXPECT_EQ(PictureKindOf("/a/b/PHOTO.JPEG"), PictureKind::Jpeg);
    EXPECT_EQ(PictureKindOf("/a/icon.BMP"), PictureKind::BitmapOrIcon);
    EXPECT_EQ(PictureKindOf("/a/icon.ico"), PictureKind::BitmapOrIcon);
    EXPECT_EQ(PictureKindOf("x.gif"), PictureKind::Gif);
    EXPECT_EQ(PictureKindOf("my.photo.png"), PictureKind::Png);
    EXPECT_EQ(PictureKindOf("photo[1].gif"), PictureKind::Gif);
    EXPECT_EQ(PictureKindOf("cat.webp"), PictureKind::Webp);
    EXPECT_EQ(PictureKindOf("/a/CAT.WebP"), PictureKind::Webp);
    EXPECT_EQ(PictureKindOf("cat.avif"), PictureKind::Avif);
    EXPECT_EQ(PictureKindOf(QStringLiteral("/写真/猫.AVIF")), PictureKind::Avif);
}

TEST(PictureKindOf, NeedsAKnownExtensionOfTheFileNameItself) {
    EXPECT_EQ(PictureKindOf("photo.jpg.txt"), PictureKind::None);
    EXPECT_EQ(PictureKindOf("photo"), PictureKind::None);
    EXPECT_EQ(PictureKindOf("photo."), PictureKind::None);
    EXPECT_EQ(PictureKindOf("photo.tiff"), PictureKind::None);
    EXPECT_EQ(PictureKindOf("photo.avifs"), PictureKind::None);
    EXPECT_EQ(PictureKindOf("photo.heic"), PictureKind::None);
    // A dot in a folder name is not the file's extension.
    EXPECT_EQ(PictureKindOf("/pics.gif/photo"), PictureKind::None);
    // A name that is only an extension still has it.
    EXPECT_EQ(PictureKindOf("/pics/.BMP"), PictureKind::BitmapOrIcon);
    EXPECT_EQ(PictureKindOf(".ICO"), PictureKind::BitmapOrIcon);
    // Non-ASCII names before the extension do not disturb it.
    EXPECT_EQ(PictureKindOf(QStringLiteral("/写真/猫.ＪＰＧ.png")), PictureKind::Png);
}

TEST(FileFacts, ReadsSizeAndTimeOfTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("猫.jpg"));
    ASSERT_TRUE(testing::WriteBytes(path, QByteArray(1234, 'x')));
    QFile file(path);
    const QDateTime stamp(QDate(2003, 7, 15), QTime(13, 4, 5, 678));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();

    EXPECT_EQ(FileSizeOf(path), 1234);
    const QDateTime time = FileTimeOf(path);
    EXPECT_EQ(time.timeSpec(), Qt::LocalTime);
    // Local time, without the milliseconds.
    EXPECT_EQ(time, QDateTime(QDate(2003, 7, 15), QTime(13, 4, 5)));
}

TEST(FileFacts, AMissingFileHasNoSizeAndNoTime) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("gone.png"));
    EXPECT_EQ(FileSizeOf(missing), 0);
    EXPECT_FALSE(FileTimeOf(missing).isValid());
}

} // namespace
} // namespace kelvo
