// Built into a folder with no codecs beside it, as a program installed
// without its plugin folder would be.

#include "decoders/PictureCodecs.h"
#include "decoders/PictureDecoder.h"

#include "support/GTestFiles.h"

#include <gtest/gtest.h>

#include <QImageReader>
#include <QTemporaryDir>

namespace kelvo {
namespace {

TEST(MissingCodecTest, AnAvifWithoutItsCodecSaysTheCodecIsMissing) {
    UsePictureCodecs();
    ASSERT_FALSE(QImageReader::supportedImageFormats().contains("avif"))
        << "an AVIF codec was found; this test needs none";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("picture.avif");
    ASSERT_TRUE(testing::WriteBytes(
        path, QByteArray::fromHex("0000001c667479706176696600000000617669666d6966316d696166")));
    const DecodedPicture decoded = DecodePicture(path, PictureKind::Avif);
    EXPECT_TRUE(decoded.image.isNull());
    EXPECT_TRUE(decoded.error.contains(QStringLiteral("AVIF"))) << decoded.error.toStdString();
    // A damaged PNG, whose codec is there, is not mistaken for one missing.
    const QString png = dir.filePath("damaged.png");
    ASSERT_TRUE(testing::WriteBytes(png, QByteArray::fromHex("89504e470d0a1a0a0000")));
    EXPECT_FALSE(DecodePicture(png, PictureKind::Png).error.contains(QStringLiteral("PNG")));
}

} // namespace
} // namespace kelvo
