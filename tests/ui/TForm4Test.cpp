#include "capture/TForm4.h"
#include "viewer/FileFacts.h"

#include "support/EncodedPictures.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace kelvo {

namespace {

template <typename T = QLabel> T* Part(const TForm4& form, const char* name) {
    return form.findChild<T*>(QString::fromLatin1(name));
}

bool ShowsColour(const TForm4& form, const char* image, int x, int y, QColor colour) {
    const QColor shown = Part(form, image)->pixmap().toImage().pixelColor(x, y);
    return shown.alpha() == 255 && qAbs(shown.red() - colour.red()) < 16 &&
           qAbs(shown.green() - colour.green()) < 16 && qAbs(shown.blue() - colour.blue()) < 16;
}

// Runs the dialog, doing whileOpen (by default: closing it) once it shows; a
// dialog that stays open fails the test and is ended, instead of hanging it.
ClashChoice ChooseWhile(TForm4& form, const ClashFiles& files,
                        const std::function<void()>& whileOpen = {}) {
    // The previews decode on a worker while the dialog shows.
    QTimer::singleShot(0, &form, [&form, whileOpen] {
        if (!QTest::qWaitFor([&form] { return !form.PreviewsDecoding(); }, 5000))
            QTest::qFail("the previews were never decoded", __FILE__, __LINE__);
        if (whileOpen)
            whileOpen();
        else
            form.reject();
    });
    const QObject guard; // ends with this call, and its timer with it
    QTimer::singleShot(5000, &guard, [&form] {
        QTest::qFail("the dialog stayed open", __FILE__, __LINE__);
        form.done(QDialog::Rejected);
    });
    return form.Choose(files);
}

} // namespace

class TForm4Test : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // A PNG of one colour, whatever the name's extension.
    QString Saved(const QString& name, int width, int height, QColor colour) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir_.filePath(name);
        image.save(path, "png"); // a failure shows as missing previews
        return path;
    }

    ClashFiles PictureFiles() {
        return {Saved("photo.png", 400, 300, Qt::red), Saved("photo[1].png", 100, 80, Qt::blue),
                "photo.png"};
    }

private slots:
    // The system's locale must not reach what the dialog shows.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    void laysOutTheFormAsDesigned() {
        TForm4 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("保存先フォルダに同一ファイル名が存在"));
        QCOMPARE(form.minimumSize(), QSize(337, 239));
        QCOMPARE(form.maximumSize(), QSize(337, 239));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);

        const std::tuple<const char*, const char*, QRect> parts[] = {
            {"GroupBox1", "TForm4", {8, 8, 161, 193}},  {"GroupBox2", "TForm4", {168, 8, 161, 193}},
            {"Image1", "GroupBox1", {8, 16, 137, 105}}, {"Image2", "GroupBox2", {8, 16, 137, 105}},
            {"Label1", "GroupBox1", {8, 128, 145, 16}}, {"Label3", "GroupBox1", {8, 144, 145, 16}},
            {"Label5", "GroupBox1", {8, 160, 145, 16}}, {"Label7", "GroupBox1", {8, 176, 145, 16}},
            {"Label2", "GroupBox2", {8, 128, 145, 16}}, {"Label4", "GroupBox2", {8, 144, 145, 16}},
            {"Button1", "TForm4", {56, 208, 75, 25}},   {"Button2", "TForm4", {136, 208, 75, 25}},
            {"Button4", "TForm4", {216, 208, 75, 25}}};
        for (const auto& [name, parent, geometry] : parts) {
            QCOMPARE(Part<QWidget>(form, name)->parentWidget()->objectName(), parent);
            QCOMPARE(Part<QWidget>(form, name)->geometry(), geometry);
        }
        QVERIFY(Part(form, "Image3")->isHidden() && Part(form, "Image4")->isHidden());
        QCOMPARE(Part<QGroupBox>(form, "GroupBox1")->title(), QStringLiteral("現存ファイル"));
        QCOMPARE(Part<QGroupBox>(form, "GroupBox2")->title(), QStringLiteral("新ファイル"));
        QCOMPARE(Part<QPushButton>(form, "Button1")->text(), QStringLiteral("手動改名..."));
        QCOMPARE(Part<QPushButton>(form, "Button2")->text(), QStringLiteral("自動改名"));
        QCOMPARE(Part<QPushButton>(form, "Button4")->text(), QStringLiteral("保存しない"));
    }

    void eachButtonGivesItsChoiceAndTheCloseBoxDontSave() {
        TForm4 form;
        const ClashFiles files = PictureFiles();
        const auto click = [&](const char* button) {
            return ChooseWhile(form, files, [&] {
                QTest::mouseClick(Part<QPushButton>(form, button), Qt::LeftButton);
            });
        };
        QCOMPARE(click("Button4"), ClashChoice::DontSave);
        QCOMPARE(click("Button1"), ClashChoice::ManualRename);
        QCOMPARE(click("Button2"), ClashChoice::AutoRename);
        QVERIFY(!form.isVisible());
        // The last choice must not carry over to a dialog closed by its close box.
        QCOMPARE(ChooseWhile(form, files, [&] { form.close(); }), ClashChoice::DontSave);
    }

    void showsBothFilesSideBySideMidScreen() {
        ClashFiles files = PictureFiles();
        files.cleanName = QStringLiteral("とても長いファイル名の画像ファイルです-%1.png")
                              .arg(QString(40, QLatin1Char('x')));
        QFile existing(files.existingPath);
        QVERIFY(existing.open(QIODevice::ReadWrite));
        const QDateTime changed(QDate(2004, 2, 29), QTime(7, 8, 9));
        QVERIFY(existing.setFileTime(changed, QFileDevice::FileModificationTime));
        existing.close();

        QWidget owner; // in a corner: the dialog is not placed over it
        owner.setGeometry(0, 0, 120, 80);
        owner.show();
        TForm4 form(&owner);
        QPoint centre;
        ChooseWhile(form, files, [&] {
            centre = form.geometry().center();
            form.reject();
        });
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((centre - screenCentre).manhattanLength() <= 40);

        // 400 x 300 into 137 x 105: 136 x 102 at (0, 1); 100 x 80 unscaled at (18, 12).
        QCOMPARE(Part(form, "Image1")->pixmap().size(), QSize(137, 105));
        QVERIFY(ShowsColour(form, "Image1", 0, 1, Qt::red));
        QVERIFY(!ShowsColour(form, "Image1", 0, 0, Qt::red));
        QVERIFY(ShowsColour(form, "Image2", 18, 12, Qt::blue));
        QVERIFY(!ShowsColour(form, "Image2", 17, 12, Qt::blue));

        // A long name is cut in the middle, keeping its start and extension.
        const QLabel* name = Part(form, "Label1");
        QVERIFY(name->fontMetrics().horizontalAdvance(name->text()) <= name->width());
        QVERIFY(name->text().startsWith(QStringLiteral("とて")) && name->text().endsWith("x.png"));
        QCOMPARE(Part(form, "Label2")->text(), name->text());
        QCOMPARE(Part(form, "Label3")->text(), SizeText(QFileInfo(files.existingPath).size()));
        QCOMPARE(Part(form, "Label4")->text(), SizeText(QFileInfo(files.newPath).size()));
        // Japan's short date even under an English or C locale.
        QCOMPARE(Part(form, "Label5")->text(), QStringLiteral("2004/02/29"));
        QCOMPARE(Part(form, "Label7")->text(), QStringLiteral("07:08:09"));
    }

    void decodesTheNewFileAsTheExistingOnesKind() {
        // A PNG named .jpg beside an existing PNG: both are read as PNG.
        TForm4 form;
        ChooseWhile(
            form, {Saved("a.png", 50, 50, Qt::red), Saved("a[1].jpg", 50, 50, Qt::blue), "a.png"});
        QVERIFY(ShowsColour(form, "Image2", 60, 50, Qt::blue));
        // An existing file of no known kind gives no previews, clearing the previous ones.
        ChooseWhile(form,
                    {Saved("b.txt", 50, 50, Qt::red), Saved("b.png", 50, 50, Qt::blue), "b.txt"});
        QVERIFY(Part(form, "Image1")->pixmap().isNull() && Part(form, "Image2")->pixmap().isNull());
    }

    void previewsWebpAndAvifClashes() {
        TForm4 form;
        const auto webp = [&](const QString& name, QColor colour) {
            QImage image(50, 50, QImage::Format_RGB32);
            image.fill(colour);
            image.save(dir_.filePath(name), "webp", 100);
            return dir_.filePath(name);
        };
        ChooseWhile(form, {webp("c.webp", Qt::red), webp("c[1].webp", Qt::blue), "c.webp"});
        QVERIFY(ShowsColour(form, "Image1", 68, 52, Qt::red));
        QVERIFY(ShowsColour(form, "Image2", 68, 52, Qt::blue));

        if (testing::Encoder("avifenc").isEmpty())
            QSKIP("avifenc (Debian's libavif-bin) is not installed");
        const auto avif = [&](const QString& name, QColor colour) {
            const QString path = dir_.filePath(name);
            const QString error =
                testing::WriteAvif(path, {testing::Halves(50, 50, colour, colour)});
            if (!error.isEmpty())
                QTest::qFail(qPrintable(error), __FILE__, __LINE__);
            return path;
        };
        ChooseWhile(form, {avif("d.avif", Qt::red), avif("d[1].avif", Qt::blue), "d.avif"});
        QVERIFY(ShowsColour(form, "Image1", 68, 52, Qt::red));
        QVERIFY(ShowsColour(form, "Image2", 68, 52, Qt::blue));
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm4Test)
#include "TForm4Test.moc"
