#include "viewer/PictureLoader.h"
#include "viewer/PreviewFit.h"
#include "viewer/PreviewPair.h"

#include "support/EncodedPictures.h"
#include "support/Files.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace kelvo {

namespace {

QImage Filled(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

bool IsClear(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) == 0;
}

// A preview pair on a shown target of the given size.
struct ShownPreview {
    ShownPreview(int width, int height) {
        target.resize(width, height);
        target.show();
    }
    QLabel source;
    QLabel target;
    PreviewPair pair{&source, &target};
};

bool IsRed(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return c.alpha() == 255 && c.red() > 240 && c.green() < 15 && c.blue() < 15;
}

// Within a few steps, as lossy AV1 keeps a flat colour.
bool IsNear(const QImage& image, int x, int y, QColor colour) {
    const QColor c = image.pixelColor(x, y);
    return c.alpha() == colour.alpha() && qAbs(c.red() - colour.red()) <= 12 &&
           qAbs(c.green() - colour.green()) <= 12 && qAbs(c.blue() - colour.blue()) <= 12;
}

} // namespace

class PictureLoaderTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString Saved(const QString& name, const QImage& image, const char* format = "png") {
        const QString path = dir_.filePath(name);
        image.save(path, format); // a failure shows as a picture that does not load
        return path;
    }

    // Through Qt's WebP writer, losslessly.
    QString SavedWebp(const QString& name, const QImage& image) {
        QImageWriter writer(dir_.filePath(name), "webp");
        writer.setQuality(100);
        if (!writer.write(image))
            QTest::qFail(qPrintable(writer.errorString()), __FILE__, __LINE__);
        return writer.fileName();
    }

    QString MadeAvif(const QString& name, const QList<QImage>& frames) {
        const QString path = dir_.filePath(name);
        const QString error = testing::WriteAvif(path, frames);
        if (!error.isEmpty())
            QTest::qFail(qPrintable(error), __FILE__, __LINE__);
        return path;
    }

    QString Written(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        if (!testing::WriteBytes(path, bytes))
            QTest::qFail("could not write the file", __FILE__, __LINE__);
        return path;
    }

private slots:
    void decodesByTheKindOfTheExtension() {
        QCOMPARE(LoadPicture(Saved("c.BMP", Filled(32, 22), "bmp")).image.size(), QSize(32, 22));
        const LoadedPicture icon = LoadPicture(Saved("d.ICO", Filled(16, 16), "ico"));
        QCOMPARE(icon.kind, PictureKind::BitmapOrIcon);
        QCOMPARE(icon.image.size(), QSize(16, 16));

        // Two 1 x 1 frames, red then black: the first is shown.
        const LoadedPicture gif = LoadPicture(
            Written("e.gif", QByteArray::fromHex("47494638396101000100800000ff0000000000"
                                                 "21f90400000000002c0000000001000100000202440100"
                                                 "21f90400000000002c00000000010001000002024c0100"
                                                 "3b")));
        QCOMPARE(gif.kind, PictureKind::Gif);
        QVERIFY(IsRed(gif.image, 0, 0));

        const QString path = Saved("pic.dat", Filled(10, 10));
        const LoadedPicture unknown = LoadPicture(path);
        QCOMPARE(unknown.kind, PictureKind::None);
        QVERIFY(unknown.image.isNull() && unknown.error.isEmpty());
        // A forced kind picks the decoder, whatever the name or the content.
        QCOMPARE(LoadPictureAs(path, PictureKind::Png).image.size(), QSize(10, 10));
        QVERIFY(LoadPictureAs(path, PictureKind::Jpeg).image.isNull());
    }

    void decodesWebpThroughQtAndAvifThroughLibavif() {
        const QImage halves = testing::Halves(40, 20, Qt::red, Qt::blue);
        const QString webpPath = SavedWebp("still.WebP", halves);
        const LoadedPicture webp = LoadPicture(webpPath);
        QCOMPARE(webp.kind, PictureKind::Webp);
        QCOMPARE(webp.image.size(), QSize(40, 20));
        QVERIFY(IsRed(webp.image, 0, 0) && IsNear(webp.image, 39, 19, Qt::blue));
        QCOMPARE(LoadPicture(webpPath, QSize(20, 20)).image.size(), QSize(20, 10));

        if (testing::Encoder("avifenc").isEmpty())
            QSKIP("avifenc (Debian's libavif-bin) is not installed");
        const QString avifPath = MadeAvif("photo.AVIF", {halves});
        const LoadedPicture avif = LoadPicture(avifPath);
        QCOMPARE(avif.kind, PictureKind::Avif);
        QVERIFY2(avif.error.isEmpty(), qPrintable(avif.error));
        QCOMPARE(avif.image.size(), QSize(40, 20));
        QVERIFY(IsNear(avif.image, 0, 0, Qt::red) && IsNear(avif.image, 39, 19, Qt::blue));
        // AV1 is decoded whole, then fitted like any other preview.
        const QImage fitted = LoadPicture(avifPath, QSize(10, 10)).image;
        QCOMPARE(fitted.size(), QSize(10, 5));
        QVERIFY(IsNear(fitted, 0, 2, Qt::red) && IsNear(fitted, 9, 2, Qt::blue));

        // The clash dialog forces the existing file's kind on the new one.
        QVERIFY(LoadPictureAs(avifPath, PictureKind::Png).image.isNull());
        QVERIFY(LoadPictureAs(avifPath, PictureKind::Webp).image.isNull());
        const QString renamed = dir_.filePath("photo[1].png");
        QVERIFY(QFile::copy(avifPath, renamed));
        QCOMPARE(LoadPictureAs(renamed, PictureKind::Avif).image.size(), QSize(40, 20));
    }

    void showsTheFirstFrameOfAnAnimation() {
        const QList<QImage> frames = {testing::Halves(6, 4, Qt::red, Qt::red),
                                      testing::Halves(6, 4, Qt::blue, Qt::blue)};
        if (testing::Encoder("img2webp").isEmpty() || testing::Encoder("avifenc").isEmpty())
            QSKIP("img2webp (Debian's webp) or avifenc (libavif-bin) is not installed");
        const QString webp = dir_.filePath("moving.webp");
        const QString made = testing::WriteAnimatedWebp(webp, frames);
        QVERIFY2(made.isEmpty(), qPrintable(made));
        QCOMPARE(QImageReader(webp).imageCount(), 2);
        const QImage first = LoadPicture(webp).image;
        QCOMPARE(first.size(), QSize(6, 4));
        QVERIFY(IsRed(first, 3, 2));
        const QImage avif = LoadPicture(MadeAvif("moving.avif", frames)).image;
        QCOMPARE(avif.size(), QSize(6, 4));
        QVERIFY(IsNear(avif, 3, 2, Qt::red));
    }

    void anAvifBeyondTheBudgetIsRefusedWhateverThePreviewSize() {
        if (testing::Encoder("avifenc").isEmpty())
            QSKIP("avifenc (Debian's libavif-bin) is not installed");
        const QString path = MadeAvif("large.avif", {testing::Halves(600, 500, Qt::red, Qt::blue)});
        const int budget = QImageReader::allocationLimit();
        // 1 MB holds 262,144 RGBA pixels; this one has 300,000, and AV1 has
        // no scaled decoding, unlike JPEG.
        QImageReader::setAllocationLimit(1);
        const LoadedPicture refused = LoadPicture(path, QSize(100, 100));
        QImageReader::setAllocationLimit(budget);
        QVERIFY(refused.image.isNull());
        QVERIFY2(refused.error.startsWith(QStringLiteral("画像を読み込めません")) &&
                     refused.error.contains(QStringLiteral("600 x 500")),
                 qPrintable(refused.error));
        QCOMPARE(LoadPicture(path, QSize(100, 100)).image.size(), QSize(100, 83));
    }

    void keepsALargePictureWithinTheLimit() {
        const QString path = Saved("big.jpg", Filled(4000, 3000), "jpeg");
        QCOMPARE(LoadPicture(path, QSize(800, 600)).image.size(), QSize(800, 600));
        // The decoder itself scales: a full-size decode would break a 20 MB budget.
        const int budget = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(20);
        const QImage withinBudget = LoadPicture(path, QSize(800, 600)).image;
        QImageReader::setAllocationLimit(budget);
        QVERIFY(!withinBudget.isNull());
        // A wide limit is bound by the height, keeping the shape.
        QCOMPARE(LoadPicture(path, QSize(2000, 600)).image.size(), QSize(800, 600));
        // A picture inside the limit is never enlarged.
        QCOMPARE(LoadPicture(Saved("small.png", Filled(40, 30)), QSize(800, 600)).image.size(),
                 QSize(40, 30));
    }

    void keepsPixelsAsStoredDespiteTheOrientationTag() {
        QBuffer plain;
        plain.open(QIODevice::WriteOnly);
        QVERIFY(Filled(40, 20).save(&plain, "jpeg"));
        // Exif "rotate by 90 degrees to view" (orientation 6), right after the SOI.
        const QByteArray exif = QByteArray::fromHex("ffe10022457869660000"
                                                    "4d4d002a000000080001011200030000000100060000"
                                                    "00000000");
        const QString path = Written("turned.jpg", plain.buffer().insert(2, exif));
        QCOMPARE(QImageReader(path).transformation(), QImageIOHandler::TransformationRotate90);
        QCOMPARE(LoadPicture(path).image.size(), QSize(40, 20));
        QCOMPARE(LoadPicture(path, QSize(20, 20)).image.size(), QSize(20, 10));
    }

    void reportsAFileItCannotDecode() {
        const LoadedPicture loaded =
            LoadPicture(Written("broken.jpg", QByteArray("\xff\xd8\xff not really a jpeg", 21)),
                        QSize(800, 600));
        QCOMPARE(loaded.kind, PictureKind::Jpeg);
        QVERIFY(loaded.image.isNull());
        QVERIFY(loaded.error.startsWith(QStringLiteral("画像を読み込めません")));
        QVERIFY(!LoadPicture(dir_.filePath("missing.png")).error.isEmpty());

        for (const QString name : {"garbage.avif", "garbage.webp"}) {
            const LoadedPicture garbage = LoadPicture(Written(name, "RIFF....WEBPftypavif"));
            QVERIFY(garbage.kind != PictureKind::None);
            QVERIFY(garbage.image.isNull());
            QVERIFY(garbage.error.startsWith(QStringLiteral("画像を読み込めません（")));
        }
        if (testing::Encoder("avifenc").isEmpty())
            QSKIP("avifenc (Debian's libavif-bin) is not installed");
        const std::optional<QByteArray> whole =
            testing::ReadFile(MadeAvif("whole.avif", {testing::Halves(30, 20, Qt::red, Qt::blue)}));
        QVERIFY(whole.has_value());
        const QByteArray bytes = *whole;
        const LoadedPicture cut = LoadPicture(Written("cut.avif", bytes.left(bytes.size() - 10)));
        QCOMPARE(cut.kind, PictureKind::Avif);
        QVERIFY(cut.image.isNull());
        QVERIFY(cut.error.startsWith(QStringLiteral("画像を読み込めません（")));
    }

    void rendersTheSourceIntoItsFittedPlace() {
        const QImage surface = RenderFitted(Filled(400, 300), QSize(200, 200));
        QCOMPARE(surface.size(), QSize(200, 200));
        // 200 x 150 at (0, 25): the rows around both edges tell where it was drawn.
        QVERIFY(IsClear(surface, 100, 24) && IsRed(surface, 0, 25));
        QVERIFY(IsRed(surface, 199, 174) && IsClear(surface, 100, 175));

        const QImage blank = RenderFitted(QImage(), QSize(30, 20));
        QCOMPARE(blank.size(), QSize(30, 20));
        QVERIFY(IsClear(blank, 15, 10));
        QVERIFY(RenderFitted(Filled(400, 300), QSize(0, 200)).isNull());
    }

    // Loads and waits for the decode, as the window's event loop would.
    static std::pair<bool, QString> LoadAndWait(PreviewPair& pair, const QString& path) {
        std::optional<std::pair<bool, QString>> told;
        pair.Load(path, [&](bool shown, const QString& error) { told.emplace(shown, error); });
        if (!QTest::qWaitFor([&] { return told.has_value(); }, 5000))
            return {false, QStringLiteral("(never told)")};
        return *told;
    }

    void previewRefitsOnResizeWithoutDecodingAgain() {
        ShownPreview preview(200, 200);
        QLabel& source = preview.source;
        QLabel& target = preview.target;
        PreviewPair& pair = preview.pair;
        const QString path = Saved("refit.png", Filled(400, 300));
        QVERIFY(LoadAndWait(pair, path).first);
        QCOMPARE(target.pixmap().size(), QSize(200, 200));
        QVERIFY(!source.isVisible());

        QVERIFY(QFile::remove(path));
        target.resize(100, 50);
        QVERIFY(!pair.Decoding()); // smaller: the kept picture serves
        const QImage shown = target.pixmap().toImage();
        QCOMPARE(shown.size(), QSize(100, 50));
        // 400 x 300 into 100 x 50: 66 x 49 at (17, 0).
        QVERIFY(IsRed(shown, 17, 0) && IsRed(shown, 82, 48));
        QVERIFY(IsClear(shown, 16, 0) && IsClear(shown, 83, 0) && IsClear(shown, 50, 49));

        // Emptied, or after a failed load, it stays empty on resize.
        pair.ClearTarget();
        target.resize(140, 100);
        QVERIFY(target.pixmap().isNull());
        QVERIFY(LoadAndWait(pair, Saved("good.png", Filled(40, 30))).first);
        const auto [shownBad, error] = LoadAndWait(pair, Written("bad.png", "garbage"));
        QVERIFY(!shownBad);
        QVERIFY(error.startsWith(QStringLiteral("画像を読み込めません")));
        target.resize(130, 90);
        QVERIFY2(target.pixmap().isNull(), "the earlier picture must not come back");
    }

    // Decoded at the preview's size, placed as the full picture would be, and
    // decoded again, sharper, when the preview grows.
    void aLargePictureIsDecodedAtTheShownSize() {
        ShownPreview preview(137, 105);
        QLabel& target = preview.target;
        PreviewPair& pair = preview.pair;
        QVERIFY(LoadAndWait(pair, Saved("large.png", Filled(4000, 3000))).first);
        // Placed where the full-size picture goes, though fewer pixels were decoded.
        const FittedRect at = FitPreview(4000, 3000, 137, 105);
        QImage shown = target.pixmap().toImage();
        QVERIFY(IsRed(shown, at.x, at.y) &&
                IsRed(shown, at.x + at.width - 1, at.y + at.height - 1));
        QVERIFY(IsClear(shown, 60, at.y - 1) && IsClear(shown, 60, at.y + at.height));

        target.resize(800, 600);
        QVERIFY(pair.Decoding());
        QTRY_VERIFY(!pair.Decoding());
        shown = target.pixmap().toImage();
        QCOMPARE(shown.size(), QSize(800, 600));
        QVERIFY(IsRed(shown, 0, 0) && IsRed(shown, 799, 599));
    }

    // However the decodes finish, only the newest request is shown or told.
    void aStaleDecodeNeverReplacesANewerPreview() {
        ShownPreview preview(200, 200);
        QLabel& target = preview.target;
        PreviewPair& pair = preview.pair;
        const QString slow = Saved("slow.png", Filled(3000, 3000));
        QImage blue(40, 30, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        const QString quick = Saved("quick.png", blue);
        QStringList told;
        for (const QString& path : {slow, slow, quick})
            pair.Load(path, [&told, path](bool, const QString&) { told << path; });
        QTRY_VERIFY(!pair.Decoding());
        QCOMPARE(told, QStringList{quick});
        // 40 x 30 unscaled at (80, 85).
        QCOMPARE(target.pixmap().toImage().pixelColor(100, 100), QColor(Qt::blue));

        // Cleared while decoding: nothing comes back.
        told.clear();
        pair.Load(slow, [&told](bool, const QString&) { told << QStringLiteral("slow"); });
        pair.ClearTarget();
        QTRY_VERIFY(!pair.Decoding());
        QVERIFY(told.isEmpty());
        QVERIFY(target.pixmap().isNull());
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::PictureLoaderTest)
#include "PictureLoaderTest.moc"
