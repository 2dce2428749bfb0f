#include "decoders/PictureCodecs.h"
#include "decoders/PictureDecoder.h"

#include "capture/DropIntake.h"
#include "support/EncodedPictures.h"
#include "support/GTestFiles.h"

#include <gtest/gtest.h>

#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

namespace kelvo {
namespace {

using testing::Halves;
using testing::ReadBytesOrFail;

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

// Lossy AV1 moves a flat colour by a few steps at most.
::testing::AssertionResult Near(const QImage& image, int x, int y, QColor expected) {
    const QColor actual = image.pixelColor(x, y);
    const int worst = std::max(
        {std::abs(actual.red() - expected.red()), std::abs(actual.green() - expected.green()),
         std::abs(actual.blue() - expected.blue()), std::abs(actual.alpha() - expected.alpha())});
    if (worst <= 12)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is " << actual.name(QColor::HexArgb).toStdString()
           << ", expected " << expected.name(QColor::HexArgb).toStdString();
}

// Qt's allocation limit, in megabytes, for the length of a test.
class AllocationLimit {
public:
    explicit AllocationLimit(int megabytes) : kept_(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(megabytes);
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(kept_); }

private:
    int kept_;
};

// AVIF as the program reads it: through QImageReader and the plugin of ours.
class AvifPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (testing::Encoder(QStringLiteral("avifenc")).isEmpty())
            GTEST_SKIP() << "avifenc (Debian's libavif-bin) is not installed";
        ASSERT_TRUE(dir_.isValid());
    }

    QString Made(const QString& name, const QList<QImage>& frames,
                 const QStringList& options = {}) {
        const QString path = dir_.filePath(name);
        const QString error = testing::WriteAvif(path, frames, options);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return path;
    }

    QString Written(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(testing::WriteBytes(path, bytes)) << path.toStdString();
        return path;
    }

    static DecodedPicture Decoded(const QString& path) {
        return DecodePicture(path, PictureKind::Avif);
    }

    QTemporaryDir dir_;
};

TEST_F(AvifPluginTest, DecodesAStillPictureWithItsColoursInPlace) {
    // Odd sides: 4:2:0 keeps half a chroma sample for the last column and row.
    for (const QString layout : {"444", "420"}) {
        SCOPED_TRACE(layout.toStdString());
        const QString path =
            Made("still" + layout + ".avif", {Halves(17, 9, kRed, kBlue)}, {"-y", layout});
        const DecodedPicture read = Decoded(path);
        ASSERT_FALSE(read.image.isNull()) << read.error.toStdString();
        EXPECT_TRUE(read.error.isEmpty());
        EXPECT_EQ(read.image.size(), QSize(17, 9));
        EXPECT_TRUE(Near(read.image, 0, 0, kRed));
        EXPECT_TRUE(Near(read.image, 3, 8, kRed));
        EXPECT_TRUE(Near(read.image, 13, 0, kBlue));
        EXPECT_TRUE(Near(read.image, 16, 8, kBlue));
        // A browser's drop of such bytes, nameless, is staged as an .avif.
        EXPECT_EQ(ExtensionForContent(ReadBytesOrFail(path)), ".avif");
    }
}

TEST_F(AvifPluginTest, QtKnowsANamelessAvifAndItsSizeBeforeDecoding) {
    UsePictureCodecs();
    const QString path = Written(
        "picture.bin", ReadBytesOrFail(Made("large.avif", {Halves(600, 500, kRed, kBlue)})));
    const AllocationLimit oneMegabyte(1);
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), "avif");
    EXPECT_EQ(reader.size(), QSize(600, 500));
    // 300,000 pixels take 1.14 MB as RGBA.
    EXPECT_TRUE(reader.read().isNull());
    QImageReader::setAllocationLimit(2);
    const QImage read = QImageReader(path).read();
    EXPECT_EQ(read.size(), QSize(600, 500));
    EXPECT_TRUE(Near(read, 599, 499, kBlue));
}

TEST_F(AvifPluginTest, KeepsTransparencyUnpremultiplied) {
    const QColor clear(0, 0, 0, 0);
    const QColor halfGreen(0, 255, 0, 128);
    const DecodedPicture read = Decoded(Made("alpha.avif", {Halves(16, 8, clear, halfGreen)}));
    ASSERT_FALSE(read.image.isNull()) << read.error.toStdString();
    EXPECT_TRUE(read.image.hasAlphaChannel());
    EXPECT_EQ(read.image.pixelColor(1, 1).alpha(), 0);
    EXPECT_TRUE(Near(read.image, 14, 6, halfGreen));
}

TEST_F(AvifPluginTest, DeeperPicturesComeOutAtEightBits) {
    for (const QString depth : {"10", "12"}) {
        SCOPED_TRACE(depth.toStdString());
        const QColor halfBlue(0, 0, 255, 128);
        const DecodedPicture read =
            Decoded(Made("deep" + depth + ".avif", {Halves(33, 7, kRed, halfBlue)}, {"-d", depth}));
        ASSERT_FALSE(read.image.isNull()) << read.error.toStdString();
        EXPECT_EQ(read.image.size(), QSize(33, 7));
        EXPECT_TRUE(Near(read.image, 2, 3, kRed));
        EXPECT_TRUE(Near(read.image, 32, 6, halfBlue));
    }
}

TEST_F(AvifPluginTest, ShowsTheFirstFrameOfAnAnimation) {
    const QString path =
        Made("animated.avif", {Halves(8, 8, kRed, kRed), Halves(8, 8, kBlue, kBlue)});
    const DecodedPicture read = Decoded(path);
    ASSERT_FALSE(read.image.isNull()) << read.error.toStdString();
    EXPECT_TRUE(Near(read.image, 4, 4, kRed));
    EXPECT_EQ(ExtensionForContent(ReadBytesOrFail(path)), ".avif");
}

TEST_F(AvifPluginTest, RefusesAFileCutShortWithAReason) {
    const QByteArray whole = ReadBytesOrFail(Made("whole.avif", {Halves(24, 16, kRed, kBlue)}));
    for (const qsizetype cut : {whole.size() - 1, whole.size() - 20, whole.size() / 2,
                                qsizetype(40), qsizetype(12), qsizetype(1), qsizetype(0)}) {
        SCOPED_TRACE(cut);
        const DecodedPicture read = Decoded(Written("cut.avif", whole.left(cut)));
        EXPECT_TRUE(read.image.isNull());
        EXPECT_FALSE(read.error.isEmpty());
    }
    EXPECT_FALSE(Decoded(dir_.filePath("missing.avif")).error.isEmpty());
}

TEST_F(AvifPluginTest, RefusesGarbageAndOtherFormats) {
    QByteArray noise(4096, '\0');
    QRandomGenerator random(14);
    for (char& byte : noise)
        byte = char(random.bounded(256));
    QImage png(4, 4, QImage::Format_RGB32);
    png.fill(Qt::red);
    const QString pngPath = dir_.filePath("really.png");
    ASSERT_TRUE(png.save(pngPath, "png"));
    // A plausible beginning with nothing behind it.
    const QByteArray header = QByteArray::fromHex("0000001c667479706176696600000000"
                                                  "617669666d6966316d696166");
    for (const QByteArray& bytes : {noise, ReadBytesOrFail(pngPath), header, header + noise}) {
        const DecodedPicture read = Decoded(Written("not.avif", bytes));
        EXPECT_TRUE(read.image.isNull());
        EXPECT_FALSE(read.error.isEmpty());
    }
}

TEST_F(AvifPluginTest, DamageInsideEitherDecodesOrSaysWhy) {
    const QByteArray whole = ReadBytesOrFail(Made("damaged.avif", {Halves(24, 16, kRed, kBlue)}));
    QRandomGenerator random(6);
    for (int round = 0; round < 200; ++round) {
        QByteArray damaged = whole;
        for (int flip = 0; flip < 3; ++flip)
            damaged[random.bounded(int(damaged.size()))] ^= char(1 << random.bounded(8));
        const DecodedPicture read = Decoded(Written("damaged-copy.avif", damaged));
        if (read.image.isNull())
            EXPECT_FALSE(read.error.isEmpty()) << "round " << round;
        else
            EXPECT_TRUE(read.error.isEmpty() && !read.image.size().isEmpty()) << "round " << round;
    }
}

TEST_F(AvifPluginTest, APictureBeyondQtsAllocationLimitIsRefused) {
    // 300,000 pixels take 1.14 MB as RGBA; 250,000 take 0.95 MB.
    const QString large = Made("large.avif", {Halves(600, 500, kRed, kBlue)});
    const QString fitting = Made("fitting.avif", {Halves(500, 500, kRed, kBlue)});
    ASSERT_FALSE(Decoded(large).image.isNull());
    const AllocationLimit oneMegabyte(1);
    const DecodedPicture refused = Decoded(large);
    EXPECT_TRUE(refused.image.isNull());
    EXPECT_TRUE(refused.error.contains("600 x 500")) << refused.error.toStdString();
    const DecodedPicture read = Decoded(fitting);
    ASSERT_FALSE(read.image.isNull()) << read.error.toStdString();
    EXPECT_EQ(read.image.size(), QSize(500, 500));
}

TEST_F(AvifPluginTest, AFileLargerThanTheLimitIsNotReadIn) {
    // A free box, which decoders skip, pads a small picture past 1 MB.
    const QByteArray picture = ReadBytesOrFail(Made("small.avif", {Halves(8, 8, kRed, kBlue)}));
    const quint32 padding = 1'200'000;
    QByteArray freeBox(padding, '\0');
    freeBox.replace(
        0, 8, QByteArray::fromHex(QByteArray::number(padding, 16).rightJustified(8, '0')) + "free");
    const QString padded = Written("padded.avif", picture + freeBox);
    ASSERT_FALSE(Decoded(padded).image.isNull()) << Decoded(padded).error.toStdString();
    const AllocationLimit oneMegabyte(1);
    const DecodedPicture refused = Decoded(padded);
    EXPECT_TRUE(refused.image.isNull());
    EXPECT_FALSE(refused.error.isEmpty());
    EXPECT_FALSE(Decoded(Written("small-again.avif", picture)).image.isNull());
}

} // namespace
} // namespace kelvo
