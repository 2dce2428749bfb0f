#include "viewer/TForm5.h"
#include "viewer/FileFacts.h"

#include "common/WindowMover.h"
#include "support/EncodedPictures.h"
#include "support/Files.h"
#include "support/Parts.h"

#include <QApplication>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QMovie>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

namespace kelvo {

// The full-size viewer against screens of a size the test chooses.
class TForm5Test : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp;
    std::unique_ptr<TForm5> form;

    QLabel* Image() const { return testing::Part<QLabel>(*form, "Image1"); }
    QScrollArea* ScrollBox() const { return testing::Part<QScrollArea>(*form, "ScrollBox1"); }
    QStatusBar* StatusBar() const { return testing::Part<QStatusBar>(*form, "StatusBar1"); }

    QString Picture(const QString& name, int width, int height, const char* format) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkMagenta);
        const QString path = temp.path() + "/" + name;
        image.save(path, format);
        return path;
    }

    // Two 1 x 1 frames, black then white, a tenth of a second each.
    QString AnimatedGif() {
        const QByteArray frame = QByteArray("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8) +
                                 QByteArray("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);
        const QByteArray gif = QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13) +
                               QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6) +
                               QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19) +
                               frame + QByteArray("\x02\x02\x44\x01\x00", 5) + frame +
                               QByteArray("\x02\x02\x4C\x01\x00", 5) + QByteArray("\x3B", 1);
        const QString path = temp.path() + "/anim.gif";
        testing::WriteBytes(path, gif); // a failure shows as a picture that does not load
        return path;
    }

    // Red, then blue for an animation's second frame.
    QList<QImage> Frames(int count, int width, int height) {
        QList<QImage> frames;
        for (int i = 0; i < count; ++i)
            frames << testing::Halves(width, height, i ? Qt::blue : Qt::red,
                                      i ? Qt::blue : Qt::red);
        return frames;
    }

    QString Made(const QString& error, const QString& path) {
        if (!error.isEmpty())
            QTest::qFail(qPrintable(error), __FILE__, __LINE__);
        return path;
    }

    QColor Shown(int x, int y) const { return Image()->pixmap().toImage().pixelColor(x, y); }

    void Open(const QString& path, const QString& address = {}) {
        form->ShowPicture(path, address);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    int StatusHeight() const { return StatusBar()->sizeHint().height(); }

    void ScreenOf(int width, int height) {
        form->SetScreenArea([=] { return QRect(0, 0, width, height); });
    }

    void Wheel(int delta, Qt::MouseButtons buttons) {
        QWidget* viewport = ScrollBox()->viewport();
        const QPointF at(10, 10);
        QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), buttons,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
    }

private slots:
    void init() {
        form = std::make_unique<TForm5>();
        form->move(0, 0);
    }

    void cleanup() { form.reset(); }

    void thePanelsShowSizeFileSizeAndAddress() {
        ScreenOf(1024, 768);
        const QString path = Picture("photo.jpeg", 640, 480, "JPEG");
        Open(path, "https://example.com/page");
        QCOMPARE(form->PanelText(0), QStringLiteral("640 x 480"));
        QCOMPARE(form->PanelText(1), SizeText(QFileInfo(path).size()));
        QVERIFY(form->PanelText(1).endsWith(QStringLiteral("ﾊﾞｲﾄ")));
        QCOMPARE(form->PanelText(2), QStringLiteral("https://example.com/page"));
        QCOMPARE(Image()->size(), QSize(640, 480));
    }

    void aSmallPictureGetsAWindowOfItsSize() {
        ScreenOf(1024, 768);
        Open(Picture("small.png", 640, 480, "PNG"));
        QCOMPARE(form->size(), QSize(640, 480 + StatusHeight()));
        QCOMPARE(ScrollBox()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(ScrollBox()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(!form->isMaximized());
    }

    // Narrower than the status bar's panels: the picture sets the width, and
    // the panels are cut, not the other way round.
    void aTinyPictureIsNotWidenedByTheStatusBar() {
        ScreenOf(1024, 768);
        Open(Picture("tiny.png", 120, 80, "PNG"));
        QCOMPARE(form->size(), QSize(120, 80 + StatusHeight()));
        QCOMPARE(ScrollBox()->viewport()->size(), QSize(120, 80));
    }

    void aWidePictureScrollsSidewaysOnlyWithTheLeftButtonHeld() {
        ScreenOf(1920, 1080);
        Open(Picture("wide.png", 3000, 400, "PNG"));
        QCOMPARE(ScrollBox()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(ScrollBox()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(!form->isMaximized());
        // The whole screen's width, frame included.
        QCOMPARE(form->frameGeometry().width(), 1920);
        Wheel(-120, Qt::NoButton);
        QCOMPARE(ScrollBox()->verticalScrollBar()->value(), 0);
        Wheel(-120, Qt::LeftButton);
        QCOMPARE(ScrollBox()->horizontalScrollBar()->value(), 120);
        Wheel(120, Qt::LeftButton);
        QCOMPARE(ScrollBox()->horizontalScrollBar()->value(), 0);
    }

    void aHugePictureMaximisesAndTheNextOpeningStartsNormal() {
        ScreenOf(1920, 1080);
        Open(Picture("huge.bmp", 3000, 3000, "BMP"));
        QVERIFY(form->windowState() & Qt::WindowMaximized);
        QCOMPARE(ScrollBox()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(ScrollBox()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        form->done(QDialog::Accepted);
        QVERIFY(!(form->windowState() & Qt::WindowMaximized));
        Open(Picture("icon.png", 400, 300, "PNG"));
        QVERIFY(!form->isMaximized());
        QCOMPARE(form->size(), QSize(400, 300 + StatusHeight()));
    }

    void enterAndADoubleClickCloseButEscapeDoesNot() {
        ScreenOf(1024, 768);
        Open(Picture("a.png", 300, 200, "PNG"));
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QTest::keyClick(ScrollBox(), Qt::Key_Return);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));

        Open(Picture("b.png", 300, 200, "PNG"));
        QTest::mouseDClick(Image(), Qt::LeftButton);
        QVERIFY(!form->isVisible());
    }

    void anyButtonOnThePictureMovesTheWindow() {
        int moves = 0;
        form->findChild<WindowMover*>()->SetStarter([&] { ++moves; });
        Open(Picture("a.png", 300, 200, "PNG"));
        QTest::mousePress(Image(), Qt::RightButton);
        QTest::mousePress(StatusBar(), Qt::LeftButton);
        QCOMPARE(moves, 2);
    }

    void anAnimatedGifPlaysAndAnUnknownFileShowsNothing() {
        ScreenOf(1024, 768);
        Open(AnimatedGif());
        QVERIFY(form->Movie());
        QCOMPARE(form->Movie()->frameCount(), 2);
        QCOMPARE(form->Movie()->state(), QMovie::Running);
        QCOMPARE(form->PanelText(0), QStringLiteral("1 x 1"));

        const QSize before = form->size();
        const QString text = temp.path() + "/notes.txt";
        QVERIFY(testing::WriteBytes(text, "not a picture"));
        Open(text, "https://example.com/");
        QVERIFY(!form->Movie());
        QCOMPARE(form->PanelText(0), QString());
        QCOMPARE(form->PanelText(2), QString());
        QCOMPARE(form->size(), before);
    }

    void anAnimatedWebpPlaysAndAStillOneIsAPicture() {
        if (testing::Encoder("img2webp").isEmpty())
            QSKIP("img2webp (Debian's webp) is not installed");
        ScreenOf(1024, 768);
        const QString animated = temp.path() + "/anim.webp";
        Made(testing::WriteAnimatedWebp(animated, Frames(2, 30, 20)), animated);
        Open(animated, "https://example.com/a");
        QVERIFY(form->Movie());
        QCOMPARE(form->Movie()->format(), QByteArray("webp"));
        QCOMPARE(form->Movie()->frameCount(), 2);
        QCOMPARE(form->Movie()->state(), QMovie::Running);
        QCOMPARE(form->PanelText(0), QStringLiteral("30 x 20"));
        QCOMPARE(Image()->size(), QSize(30, 20));

        const QString still = temp.path() + "/still.webp";
        QImageWriter writer(still, "webp");
        writer.setQuality(100);
        QVERIFY2(writer.write(testing::Halves(300, 200, Qt::red, Qt::blue)),
                 qPrintable(writer.errorString()));
        Open(still);
        QVERIFY(!form->Movie());
        QCOMPARE(Image()->pixmap().size(), QSize(300, 200));
        QCOMPARE(Shown(0, 0), QColor(Qt::red));
        QCOMPARE(Shown(299, 199), QColor(Qt::blue));
        QCOMPARE(form->PanelText(0), QStringLiteral("300 x 200"));
        QCOMPARE(form->size(), QSize(300, 200 + StatusHeight()));
    }

    void anAvifShowsItsFirstFrameAndABrokenOneSaysWhy() {
        if (testing::Encoder("avifenc").isEmpty())
            QSKIP("avifenc (Debian's libavif-bin) is not installed");
        ScreenOf(1024, 768);
        const QString still = temp.path() + "/photo.avif";
        Made(testing::WriteAvif(still, {testing::Halves(321, 201, Qt::red, Qt::blue)}), still);
        Open(still, "https://example.com/p");
        QVERIFY(!form->Movie());
        QCOMPARE(Image()->pixmap().size(), QSize(321, 201));
        QCOMPARE(form->PanelText(0), QStringLiteral("321 x 201"));
        QCOMPARE(form->PanelText(1), SizeText(QFileInfo(still).size()));
        QCOMPARE(form->PanelText(2), QStringLiteral("https://example.com/p"));
        QCOMPARE(form->size(), QSize(321, 201 + StatusHeight()));
        QVERIFY(StatusBar()->currentMessage().isEmpty());

        const QString animated = temp.path() + "/anim.avif";
        Made(testing::WriteAvif(animated, Frames(2, 200, 100)), animated);
        Open(animated);
        QVERIFY(!form->Movie());
        QCOMPARE(Image()->pixmap().size(), QSize(200, 100));
        const QColor first = Shown(100, 50);
        QVERIFY2(first.red() > 240 && first.blue() < 15, qPrintable(first.name()));

        const std::optional<QByteArray> whole = testing::ReadFile(still);
        QVERIFY(whole.has_value());
        const QString broken = temp.path() + "/broken.avif";
        QVERIFY(testing::WriteBytes(broken, whole->chopped(30)));
        Open(broken);
        QVERIFY(Image()->pixmap().isNull());
        QVERIFY2(StatusBar()->currentMessage().startsWith(QStringLiteral("画像を読み込めません（")),
                 qPrintable(StatusBar()->currentMessage()));
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm5Test)
#include "TForm5Test.moc"
