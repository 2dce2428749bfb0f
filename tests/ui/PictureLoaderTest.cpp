#include "viewer/PictureLoader.h"
#include "viewer/PreviewPair.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

namespace kelvo {

namespace {

QImage Filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Two 1 x 1 frames: red, then black.
QByteArray TwoFrameGif() {
    return QByteArray::fromHex("474946383961010001008000"                       // header, screen
                               "00ff0000000000"                                 // red, black
                               "21f90400000000002c0000000001000100000202440100" // red pixel
                               "21f90400000000002c00000000010001000002024c0100" // black pixel
                               "3b");
}

// An Exif block saying "rotate by 90 degrees to view", put right after the JPEG's SOI.
QByteArray WithRotationTag(const QByteArray& jpeg) {
    const QByteArray exif = QByteArray::fromHex("ffe10022"
                                                "457869660000"     // "Exif"
                                                "4d4d002a00000008" // big-endian TIFF header
                                                "0001011200030000000100060000" // orientation 6
                                                "00000000");
    return jpeg.left(2) + exif + jpeg.mid(2);
}

bool IsClear(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) == 0;
}

bool IsRed(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return c.alpha() == 255 && c.red() > 240 && c.green() < 15 && c.blue() < 15;
}

} // namespace

class PictureLoaderTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString Saved(const QString& name, const QImage& image, const char* format = nullptr) {
        const QString path = dir_.filePath(name);
        if (!image.save(path, format))
            qWarning() << "could not write" << path;
        return path;
    }

private slots:
    void decodesEachKnownKindByItsExtension() {
        QCOMPARE(LoadPicture(Saved("a.png", Filled(30, 20, Qt::red))).image.size(), QSize(30, 20));
        QCOMPARE(LoadPicture(Saved("b.Jpeg", Filled(31, 21, Qt::red), "jpeg")).image.size(),
                 QSize(31, 21));
        QCOMPARE(LoadPicture(Saved("c.BMP", Filled(32, 22, Qt::red), "bmp")).image.size(),
                 QSize(32, 22));
        const LoadedPicture icon = LoadPicture(Saved("d.ICO", Filled(16, 16, Qt::red), "ico"));
        QCOMPARE(icon.kind, PictureKind::BitmapOrIcon);
        QCOMPARE(icon.image.size(), QSize(16, 16));

        const QString gif = dir_.filePath("e.gif");
        WriteBytes(gif, TwoFrameGif());
        const LoadedPicture first = LoadPicture(gif);
        QCOMPARE(first.kind, PictureKind::Gif);
        QVERIFY2(IsRed(first.image, 0, 0), "the first frame, not a later one");
    }

    void decodesWithTheForcedKindWhateverTheName() {
        const QString path = Saved("pic.dat", Filled(10, 10, Qt::red), "png");
        const LoadedPicture unknown = LoadPicture(path);
        QCOMPARE(unknown.kind, PictureKind::None);
        QVERIFY(unknown.image.isNull() && unknown.error.isEmpty());
        QCOMPARE(LoadPicture(Saved("photo.jpg.txt", Filled(5, 5, Qt::red), "png")).kind,
                 PictureKind::None);
        QCOMPARE(LoadPictureAs(path, PictureKind::Png).image.size(), QSize(10, 10));
        // The kind picks the decoder: PNG content is not a JPEG.
        QVERIFY(LoadPictureAs(path, PictureKind::Jpeg).image.isNull());
    }

    void keepsALargePictureWithinTheLimit() {
        const QString path = Saved("big.jpg", Filled(4000, 3000, Qt::red), "jpeg");
        const QImage limited = LoadPicture(path, QSize(800, 600)).image;
        QVERIFY(limited.width() <= 800 && limited.height() <= 600);
        QVERIFY2(limited.width() >= 799, "fitted to the limit, not far below it");
        // The decoder itself scales: a full-size decode would break a 20 MB budget.
        const int budget = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(20);
        const QImage withinBudget = LoadPicture(path, QSize(800, 600)).image;
        QImageReader::setAllocationLimit(budget);
        QVERIFY(!withinBudget.isNull());
        // A wide limit is bound by the height, keeping the shape.
        QCOMPARE(LoadPicture(path, QSize(2000, 600)).image.size(), QSize(800, 600));
        // A picture inside the limit is never enlarged.
        const QString small = Saved("small.png", Filled(40, 30, Qt::red));
        QCOMPARE(LoadPicture(small, QSize(800, 600)).image.size(), QSize(40, 30));
    }

    void keepsPixelsAsStoredDespiteTheOrientationTag() {
        QBuffer plain;
        plain.open(QIODevice::WriteOnly);
        QVERIFY(Filled(40, 20, Qt::red).save(&plain, "jpeg"));
        const QString path = dir_.filePath("turned.jpg");
        WriteBytes(path, WithRotationTag(plain.data()));
        QImageReader tagged(path);
        QCOMPARE(tagged.transformation(), QImageIOHandler::TransformationRotate90);

        QCOMPARE(LoadPicture(path).image.size(), QSize(40, 20));
        QCOMPARE(LoadPicture(path, QSize(20, 20)).image.size(), QSize(20, 10));
    }

    void reportsAFileItCannotDecode() {
        const QString broken = dir_.filePath("broken.jpg");
        WriteBytes(broken, QByteArray("\xff\xd8\xff not really a jpeg", 21));
        const LoadedPicture loaded = LoadPicture(broken, QSize(800, 600));
        QCOMPARE(loaded.kind, PictureKind::Jpeg);
        QVERIFY(loaded.image.isNull());
        QVERIFY(loaded.error.startsWith(QStringLiteral("画像を読み込めません")));

        QVERIFY(!LoadPicture(dir_.filePath("missing.png")).error.isEmpty());
    }

    void rendersTheSourceIntoItsFittedPlace() {
        const QImage surface = RenderFitted(Filled(400, 300, Qt::red), QSize(200, 200));
        QCOMPARE(surface.size(), QSize(200, 200));
        // 200 x 150 at (0, 25): the rows around both edges tell where it was drawn.
        QVERIFY(IsClear(surface, 100, 24));
        QVERIFY(IsRed(surface, 0, 25));
        QVERIFY(IsRed(surface, 199, 174));
        QVERIFY(IsClear(surface, 100, 175));
        QVERIFY(IsClear(surface, 0, 199));

        const QImage blank = RenderFitted(QImage(), QSize(30, 20));
        QCOMPARE(blank.size(), QSize(30, 20));
        QVERIFY(IsClear(blank, 0, 0) && IsClear(blank, 15, 10) && IsClear(blank, 29, 19));
        QVERIFY(RenderFitted(Filled(400, 300, Qt::red), QSize(0, 200)).isNull());
    }

    void refitsOnResizeWithoutDecodingAgain() {
        QLabel source;
        QLabel target;
        target.resize(200, 200);
        target.show();
        PreviewPair pair(&source, &target);
        const QString path = Saved("refit.png", Filled(400, 300, Qt::red));
        QVERIFY(pair.Load(path));
        QCOMPARE(target.pixmap().size(), QSize(200, 200));
        QVERIFY(!source.isVisible());

        QVERIFY(QFile::remove(path));
        target.resize(100, 50);
        const QImage shown = target.pixmap().toImage();
        QCOMPARE(shown.size(), QSize(100, 50));
        // 400 x 300 into 100 x 50: 66 x 49 at (17, 0).
        QVERIFY(IsRed(shown, 17, 0) && IsRed(shown, 82, 48));
        QVERIFY(IsClear(shown, 16, 0) && IsClear(shown, 83, 0) && IsClear(shown, 50, 49));
    }

    void anEmptiedPreviewStaysEmptyOnResize() {
        QLabel source;
        QLabel target;
        target.resize(120, 90);
        target.show();
        PreviewPair pair(&source, &target);
        QVERIFY(pair.Load(Saved("good.png", Filled(40, 30, Qt::red))));
        pair.ClearTarget();
        target.resize(140, 100);
        QVERIFY(target.pixmap().isNull());

        QVERIFY(pair.Load(Saved("good.png", Filled(40, 30, Qt::red))));
        const QString broken = dir_.filePath("bad.png");
        WriteBytes(broken, "garbage");
        QString error;
        QVERIFY(!pair.Load(broken, &error));
        QVERIFY(!error.isEmpty());
        target.resize(130, 90);
        QVERIFY2(target.pixmap().isNull(), "the earlier picture must not come back");
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::PictureLoaderTest)
#include "PictureLoaderTest.moc"
