#include "viewer/TForm5.h"
#include "viewer/FileFacts.h"

#include <QApplication>
#include <QImage>
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
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(gif);
        return path;
    }

    void Open(const QString& path, const QString& address = {}) {
        form->ShowPicture(path, address);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    int StatusHeight() const { return form->StatusBar1->sizeHint().height(); }

    void ScreenOf(int width, int height) {
        form->SetScreenArea([=] { return QRect(0, 0, width, height); });
    }

    void Wheel(int delta, Qt::MouseButtons buttons) {
        QWidget* viewport = form->ScrollBox1->viewport();
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
        QCOMPARE(form->Image1->size(), QSize(640, 480));
    }

    void aSmallPictureGetsAWindowOfItsSize() {
        ScreenOf(1024, 768);
        Open(Picture("small.png", 640, 480, "PNG"));
        QCOMPARE(form->size(), QSize(640, 480 + StatusHeight()));
        QCOMPARE(form->ScrollBox1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(form->ScrollBox1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(!form->isMaximized());
    }

    void aWidePictureScrollsSidewaysOnlyWithTheLeftButtonHeld() {
        ScreenOf(1920, 1080);
        Open(Picture("wide.png", 3000, 400, "PNG"));
        QCOMPARE(form->ScrollBox1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(form->ScrollBox1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(!form->isMaximized());
        // The whole screen's width, frame included.
        QCOMPARE(form->frameGeometry().width(), 1920);
        Wheel(-120, Qt::NoButton);
        QCOMPARE(form->ScrollBox1->verticalScrollBar()->value(), 0);
        Wheel(-120, Qt::LeftButton);
        QCOMPARE(form->ScrollBox1->horizontalScrollBar()->value(), 120);
        Wheel(120, Qt::LeftButton);
        QCOMPARE(form->ScrollBox1->horizontalScrollBar()->value(), 0);
    }

    void aHugePictureMaximisesAndTheNextOpeningStartsNormal() {
        ScreenOf(1920, 1080);
        Open(Picture("huge.bmp", 3000, 3000, "BMP"));
        QVERIFY(form->windowState() & Qt::WindowMaximized);
        QCOMPARE(form->ScrollBox1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(form->ScrollBox1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
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
        QTest::keyClick(form->ScrollBox1, Qt::Key_Return);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));

        Open(Picture("b.png", 300, 200, "PNG"));
        QTest::mouseDClick(form->Image1, Qt::LeftButton);
        QVERIFY(!form->isVisible());
    }

    void anyButtonOnThePictureMovesTheWindow() {
        int moves = 0;
        form->SetMoveStarter([&] { ++moves; });
        Open(Picture("a.png", 300, 200, "PNG"));
        QTest::mousePress(form->Image1, Qt::RightButton);
        QTest::mousePress(form->StatusBar1, Qt::LeftButton);
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
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        Open(text, "https://example.com/");
        QVERIFY(!form->Movie());
        QCOMPARE(form->PanelText(0), QString());
        QCOMPARE(form->PanelText(2), QString());
        QCOMPARE(form->size(), before);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm5Test)
#include "TForm5Test.moc"
