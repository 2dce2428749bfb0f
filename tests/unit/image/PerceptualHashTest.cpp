#include "similarity/PerceptualHash.h"

#include "support/EncodedPictures.h"
#include "support/Files.h"
#include "support/SyntheticPictures.h"

#include <gtest/gtest.h>

#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <functional>
#include <utility>
#include <vector>

namespace kelvo {
namespace {

using testing::Halves;
using testing::SyntheticPicture;

QImage Grey(int width, int height, const std::function<int(int x, int y)>& level) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int grey = level(x, y);
            image.setPixel(x, y, qRgb(grey, grey, grey));
        }
    return image;
}

// The small-grid hashes whose false matches this one avoids: each of 8 x 8
// cells lighter than the mean; each of 9 x 8 cells lighter than its left one.
quint64 AverageHash(const QImage& picture) {
    const QImage cells = picture.scaled(8, 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int sum = 0;
    for (int i = 0; i < 64; ++i)
        sum += qGray(cells.pixel(i % 8, i / 8));
    quint64 hash = 0;
    for (int i = 0; i < 64; ++i)
        hash |= quint64(qGray(cells.pixel(i % 8, i / 8)) * 64 > sum) << i;
    return hash;
}

quint64 DifferenceHash(const QImage& picture) {
    const QImage cells = picture.scaled(9, 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    quint64 hash = 0;
    for (int i = 0; i < 64; ++i)
        hash |= quint64(qGray(cells.pixel(i % 8 + 1, i / 8)) > qGray(cells.pixel(i % 8, i / 8)))
                << i;
    return hash;
}

// Light sky over dark ground, with clouds and hills that never cross into the
// other's range of greys.
QImage Landscape(quint32 seed) {
    QRandomGenerator random(seed);
    QImage image = Grey(256, 256, [](int, int y) { return y < 128 ? 210 : 40; });
    QPainter painter(&image);
    for (const bool sky : {true, false}) {
        painter.setClipRect(0, sky ? 0 : 128, 256, 128);
        for (int blob = 0; blob < 12; ++blob) {
            const int grey = sky ? random.bounded(170, 256) : random.bounded(0, 86);
            painter.setBrush(QColor(grey, grey, grey));
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(QPointF(random.bounded(256.0), random.bounded(256.0)),
                                10 + random.bounded(50.0), 10 + random.bounded(50.0));
        }
    }
    return image;
}

// Lighter to the right, across bands that vary by the seed.
QImage BandsBrighteningToTheRight(quint32 seed) {
    QRandomGenerator random(seed);
    int bands[8];
    for (int& band : bands)
        band = random.bounded(0, 100);
    return Grey(256, 256, [&](int x, int y) { return x / 2 + bands[y / 32]; });
}

class PerceptualHashTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Saved(const QString& name, const QImage& image, int quality = -1) {
        QImageWriter writer(dir_.filePath(name));
        writer.setQuality(quality);
        EXPECT_TRUE(writer.write(image))
            << name.toStdString() << ": " << writer.errorString().toStdString();
        return writer.fileName();
    }

    PictureHash HashOfSaved(const QString& name, const QImage& image, int quality = -1) {
        const auto hash = PerceptualHashOfFile(Saved(name, image, quality));
        EXPECT_TRUE(hash.has_value()) << name.toStdString();
        return hash.value_or(PictureHash{});
    }

    QTemporaryDir dir_;
};

TEST_F(PerceptualHashTest, ResizedReencodedConvertedAndCroppedCopiesLookSimilar) {
    const QImage picture = SyntheticPicture(QSize(800, 600), 7);
    const PictureHash original = HashOfSaved("original.png", picture);
    // A tenth of the picture cut away, from every side; and a twentieth of
    // each side, which is nearly the picture's centre.
    const QRect croppedTenth = QRect(0, 0, 759, 569).translated(20, 15);
    const QRect trimmedTwentieths = QRect(40, 30, 720, 540);
    const struct {
        const char* name;
        QImage image;
        int quality;
    } copies[] = {
        {"half.png", picture.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), -1},
        {"reencoded.jpg", picture, 70},
        {"converted.webp", picture, -1},
        {"cropped.png", picture.copy(croppedTenth), -1},
        {"trimmed.png", picture.copy(trimmedTwentieths), -1},
    };
    for (const auto& copy : copies) {
        const PictureHash hash = HashOfSaved(copy.name, copy.image, copy.quality);
        EXPECT_TRUE(LookSimilar(original, hash))
            << copy.name << ": " << HashDistance(original, hash) << " bits apart";
    }
}

TEST_F(PerceptualHashTest, UnrelatedPicturesDoNotLookSimilar) {
    std::vector<PictureHash> hashes;
    for (quint32 seed = 1; seed <= 12; ++seed)
        hashes.push_back(PerceptualHashOf(SyntheticPicture(QSize(320, 240), seed)).value());
    for (size_t a = 0; a < hashes.size(); ++a)
        for (size_t b = a + 1; b < hashes.size(); ++b)
            EXPECT_FALSE(LookSimilar(hashes[a], hashes[b])) << a + 1 << " and " << b + 1;
}

TEST_F(PerceptualHashTest, PicturesWithTheSameSmallGridLayoutHashApart) {
    const QImage firstLandscape = Landscape(1), secondLandscape = Landscape(2);
    ASSERT_EQ(AverageHash(firstLandscape), AverageHash(secondLandscape));
    EXPECT_FALSE(LookSimilar(PerceptualHashOf(firstLandscape).value(),
                             PerceptualHashOf(secondLandscape).value()));

    const QImage firstBands = BandsBrighteningToTheRight(1);
    const QImage secondBands = BandsBrighteningToTheRight(2);
    ASSERT_EQ(DifferenceHash(firstBands), DifferenceHash(secondBands));
    EXPECT_FALSE(
        LookSimilar(PerceptualHashOf(firstBands).value(), PerceptualHashOf(secondBands).value()));
}

TEST_F(PerceptualHashTest, LightAndDarkHalvesHashByTheWayTheyLie) {
    const QImage lightLeft = Halves(300, 200, Qt::white, Qt::black);
    const PictureHash hash = PerceptualHashOf(lightLeft).value();
    const QImage enlarged =
        lightLeft.scaled(640, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_TRUE(LookSimilar(hash, PerceptualHashOf(enlarged).value()));

    const QImage layouts[] = {lightLeft, lightLeft.mirrored(true, false),
                              lightLeft.transformed(QTransform().rotate(90)),
                              lightLeft.transformed(QTransform().rotate(-90))};
    std::vector<PictureHash> hashes;
    for (const QImage& layout : layouts)
        hashes.push_back(PerceptualHashOf(layout).value());
    for (size_t a = 0; a < hashes.size(); ++a)
        for (size_t b = a + 1; b < hashes.size(); ++b)
            EXPECT_FALSE(LookSimilar(hashes[a], hashes[b]))
                << a << " and " << b << ": " << HashDistance(hashes[a], hashes[b]) << " bits apart";
}

TEST_F(PerceptualHashTest, FlatAndNearlyFlatPicturesHaveNoHash) {
    QImage noisy(640, 480, QImage::Format_RGB32);
    noisy.fill(QColor(90, 140, 200));
    QRandomGenerator random(3);
    testing::AddNoise(noisy, random, 3);
    QImage clear(64, 64, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const QImage flats[] = {
        Grey(64, 64, [](int, int) { return 255; }),
        Grey(64, 64, [](int, int) { return 0; }),
        Grey(640, 480, [](int x, int) { return 128 + x / 320; }), // one step across
        noisy,
        clear,
    };
    for (const QImage& flat : flats)
        EXPECT_FALSE(PerceptualHashOf(flat).has_value()) << flat.width() << " x " << flat.height();
}

TEST_F(PerceptualHashTest, TransparentAreasCountAsWhiteWhateverTheyHide) {
    const auto shapes = [](QRgb hidden, QColor background) {
        QImage image(300, 200, QImage::Format_ARGB32);
        image.fill(hidden);
        QPainter painter(&image);
        painter.fillRect(image.rect(), background);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 30, 30));
        painter.drawEllipse(30, 40, 120, 90);
        painter.drawRect(180, 20, 60, 150);
        return image;
    };
    const QColor clear = Qt::transparent;
    const PictureHash hidingGreen = HashOfSaved("green.png", shapes(qRgba(0, 255, 0, 0), clear));
    const PictureHash hidingBlue = HashOfSaved("blue.png", shapes(qRgba(0, 0, 255, 0), clear));
    EXPECT_EQ(hidingGreen, hidingBlue);
    EXPECT_TRUE(LookSimilar(hidingGreen, PerceptualHashOf(shapes(0, Qt::white)).value()));
    EXPECT_FALSE(LookSimilar(hidingGreen, PerceptualHashOf(shapes(0, Qt::black)).value()));
}

TEST_F(PerceptualHashTest, StripsKeepTheStructureAlongTheirShortSide) {
    for (const QSize size : {QSize(3000, 40), QSize(40, 3000)}) {
        SCOPED_TRACE(size.width());
        const QImage strip = SyntheticPicture(size, 11);
        const bool wide = size.width() > size.height();
        const PictureHash hash = HashOfSaved("strip.png", strip);
        const PictureHash half = HashOfSaved(
            "half.png", strip.scaled(size / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        const PictureHash flipped = HashOfSaved("flipped.png", strip.mirrored(!wide, wide));
        EXPECT_TRUE(LookSimilar(hash, half)) << HashDistance(hash, half) << " bits apart";
        EXPECT_FALSE(LookSimilar(hash, flipped)) << HashDistance(hash, flipped) << " bits apart";
    }
}

TEST_F(PerceptualHashTest, FilesOfEveryFormatHashAsTheirPixels) {
    const QImage picture = SyntheticPicture(QSize(400, 300), 5);
    const QImage other = SyntheticPicture(QSize(400, 300), 6);
    const PictureHash hash = PerceptualHashOf(picture).value();
    QStringList files = {Saved("picture.jpg", picture, 90), Saved("picture.png", picture),
                         Saved("picture.bmp", picture), Saved("picture.webp", picture)};
    for (const auto& [name, error] :
         {std::pair{QStringLiteral("picture.avif"),
                    testing::WriteAvif(dir_.filePath("picture.avif"), {picture})},
          std::pair{
              QStringLiteral("animated.webp"),
              testing::WriteAnimatedWebp(dir_.filePath("animated.webp"), {picture, other})}}) {
        if (error.isEmpty())
            files << dir_.filePath(name);
        else
            ADD_FAILURE() << error.toStdString();
    }
    for (const QString& file : files) {
        const auto fromFile = PerceptualHashOfFile(file);
        ASSERT_TRUE(fromFile.has_value()) << file.toStdString();
        EXPECT_TRUE(LookSimilar(hash, *fromFile))
            << file.toStdString() << ": " << HashDistance(hash, *fromFile) << " bits apart";
    }
}

TEST_F(PerceptualHashTest, FilesThatDoNotDecodeHaveNoHash) {
    const QByteArray png = testing::ReadBytes(Saved("real.png", SyntheticPicture({64, 64}, 1)));
    ASSERT_FALSE(png.isEmpty());
    ASSERT_TRUE(testing::WriteBytes(dir_.filePath("garbage.jpg"), QByteArray(5000, '\x5a')));
    ASSERT_TRUE(testing::WriteBytes(dir_.filePath("cut.png"), png.left(16)));
    ASSERT_TRUE(testing::WriteBytes(dir_.filePath("picture.txt"), png));
    for (const char* name : {"garbage.jpg", "cut.png", "picture.txt", "missing.png"})
        EXPECT_FALSE(PerceptualHashOfFile(dir_.filePath(name)).has_value()) << name;
}

} // namespace
} // namespace kelvo
