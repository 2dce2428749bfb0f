#include "capture/TForm4.h"
#include "viewer/FileFacts.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

Q_DECLARE_METATYPE(kelvo::ClashChoice)

namespace kelvo {

namespace {

QImage Filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool ShowsColour(const QLabel* image, int x, int y, QColor colour) {
    const QColor shown = image->pixmap().toImage().pixelColor(x, y);
    return shown.alpha() == 255 && qAbs(shown.red() - colour.red()) < 16 &&
           qAbs(shown.green() - colour.green()) < 16 && qAbs(shown.blue() - colour.blue()) < 16;
}

} // namespace

class TForm4Test : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString Saved(const QString& name, const QImage& image, const char* format) {
        const QString path = dir_.filePath(name);
        if (!image.save(path, format))
            qWarning() << "could not write" << path;
        return path;
    }

    template <typename T> static T* Part(const TForm4& form, const char* name) {
        return form.findChild<T*>(QString::fromLatin1(name));
    }

    // Runs the dialog, doing whileOpen once it shows; a dialog that stays open
    // fails the test and is ended, instead of hanging it.
    static ClashChoice ChooseWhile(TForm4& form, const ClashFiles& files,
                                   const std::function<void()>& whileOpen) {
        QTimer::singleShot(0, &form, whileOpen);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &form, [&form] {
            QTest::qFail("the dialog stayed open", __FILE__, __LINE__);
            form.done(QDialog::Rejected);
        });
        guard.start(5000);
        return form.Choose(files);
    }

    ClashFiles PictureFiles() {
        return {Saved("photo.png", Filled(400, 300, Qt::red), "png"),
                Saved("photo[1].png", Filled(100, 80, Qt::blue), "png"), "photo.png"};
    }

private slots:
    void laysOutTheFormAsDesigned() {
        TForm4 form;
        QCOMPARE(form.objectName(), QStringLiteral("TForm4"));
        QCOMPARE(form.windowTitle(), QStringLiteral("保存先フォルダに同一ファイル名が存在"));
        QCOMPARE(form.minimumSize(), QSize(337, 239));
        QCOMPARE(form.maximumSize(), QSize(337, 239));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);

        const auto* existing = Part<QGroupBox>(form, "GroupBox1");
        const auto* fresh = Part<QGroupBox>(form, "GroupBox2");
        QCOMPARE(existing->title(), QStringLiteral("現存ファイル"));
        QCOMPARE(existing->geometry(), QRect(8, 8, 161, 193));
        QCOMPARE(fresh->title(), QStringLiteral("新ファイル"));
        QCOMPARE(fresh->geometry(), QRect(168, 8, 161, 193));

        for (const char* name : {"Image1", "Image2"})
            QCOMPARE(Part<QLabel>(form, name)->geometry(), QRect(8, 16, 137, 105));
        QCOMPARE(Part<QLabel>(form, "Image1")->parent(), existing);
        QCOMPARE(Part<QLabel>(form, "Image2")->parent(), fresh);
        QVERIFY(Part<QLabel>(form, "Image3")->isHidden());
        QVERIFY(Part<QLabel>(form, "Image4")->isHidden());

        const std::tuple<const char*, const QGroupBox*, int> labels[] = {
            {"Label1", existing, 128}, {"Label3", existing, 144}, {"Label5", existing, 160},
            {"Label7", existing, 176}, {"Label2", fresh, 128},    {"Label4", fresh, 144}};
        for (const auto& [name, group, top] : labels) {
            const auto* label = Part<QLabel>(form, name);
            QCOMPARE(label->parent(), group);
            QCOMPARE(label->pos(), QPoint(8, top));
        }

        const std::tuple<const char*, QString, int> buttons[] = {
            {"Button1", QStringLiteral("手動改名..."), 56},
            {"Button2", QStringLiteral("自動改名"), 136},
            {"Button4", QStringLiteral("保存しない"), 216}};
        for (const auto& [name, text, left] : buttons) {
            const auto* button = Part<QPushButton>(form, name);
            QCOMPARE(button->text(), text);
            QCOMPARE(button->geometry(), QRect(left, 208, 75, 25));
        }
    }

    void eachButtonGivesItsChoice_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<ClashChoice>("choice");
        QTest::newRow("manual") << "Button1" << ClashChoice::ManualRename;
        QTest::newRow("auto") << "Button2" << ClashChoice::AutoRename;
        QTest::newRow("skip") << "Button4" << ClashChoice::DontSave;
    }

    void eachButtonGivesItsChoice() {
        QFETCH(QString, button);
        QFETCH(ClashChoice, choice);
        TForm4 form;
        const ClashChoice chosen = ChooseWhile(form, PictureFiles(), [&] {
            QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
        });
        QCOMPARE(chosen, choice);
        QVERIFY(!form.isVisible());
    }

    void closingWithoutAButtonSavesNothing() {
        TForm4 form;
        // An earlier choice must not carry over to a dialog closed by its close box.
        ChooseWhile(form, PictureFiles(), [&] { Part<QPushButton>(form, "Button2")->click(); });
        QCOMPARE(ChooseWhile(form, PictureFiles(), [&] { form.close(); }), ClashChoice::DontSave);

        ChooseWhile(form, PictureFiles(), [&] { Part<QPushButton>(form, "Button1")->click(); });
        QCOMPARE(ChooseWhile(form, PictureFiles(), [&] { QTest::keyClick(&form, Qt::Key_Escape); }),
                 ClashChoice::DontSave);
    }

    void showsBothFilesSideBySide() {
        ClashFiles files = PictureFiles();
        files.cleanName = QStringLiteral("とても長いファイル名の画像ファイルです-%1.png")
                              .arg(QString(40, QLatin1Char('x')));
        QFile existing(files.existingPath);
        QVERIFY(existing.open(QIODevice::ReadWrite));
        const QDateTime changed(QDate(2004, 2, 29), QTime(7, 8, 9));
        QVERIFY(existing.setFileTime(changed, QFileDevice::FileModificationTime));
        existing.close();

        TForm4 form;
        const auto* image1 = Part<QLabel>(form, "Image1");
        const auto* image2 = Part<QLabel>(form, "Image2");
        ChooseWhile(form, files, [&] {
            // 400 x 300 into 137 x 105: 136 x 102 at (0, 1).
            QCOMPARE(image1->pixmap().size(), QSize(137, 105));
            QVERIFY(ShowsColour(image1, 0, 1, Qt::red));
            QVERIFY(ShowsColour(image1, 135, 102, Qt::red));
            QVERIFY(!ShowsColour(image1, 0, 0, Qt::red));
            // 100 x 80 fits: unscaled at (18, 12).
            QVERIFY(ShowsColour(image2, 18, 12, Qt::blue));
            QVERIFY(ShowsColour(image2, 117, 91, Qt::blue));
            QVERIFY(!ShowsColour(image2, 17, 12, Qt::blue));
            form.reject();
        });

        // A long name is cut in the middle, keeping its start and extension.
        const auto* name = Part<QLabel>(form, "Label1");
        QVERIFY(name->fontMetrics().horizontalAdvance(name->text()) <= name->width());
        QVERIFY(name->text().startsWith(QStringLiteral("とて")));
        QVERIFY(name->text().endsWith(QStringLiteral("x.png")));
        QCOMPARE(Part<QLabel>(form, "Label2")->text(), name->text());
        const QLocale locale;
        QCOMPARE(Part<QLabel>(form, "Label3")->text(),
                 SizeText(QFileInfo(files.existingPath).size(), locale));
        QCOMPARE(Part<QLabel>(form, "Label4")->text(),
                 SizeText(QFileInfo(files.newPath).size(), locale));
        QCOMPARE(Part<QLabel>(form, "Label5")->text(),
                 locale.toString(changed.date(), QLocale::ShortFormat));
        QCOMPARE(Part<QLabel>(form, "Label7")->text(), QStringLiteral("07:08:09"));
    }

    void decodesTheNewFileAsTheExistingOnesKind() {
        // A PNG named .jpg beside an existing PNG: both are read as PNG.
        const ClashFiles files{Saved("a.png", Filled(50, 50, Qt::red), "png"),
                               Saved("a[1].jpg", Filled(50, 50, Qt::blue), "png"), "a.png"};
        TForm4 form;
        ChooseWhile(form, files, [&] { form.reject(); });
        QVERIFY(ShowsColour(Part<QLabel>(form, "Image2"), 60, 50, Qt::blue));

        // An existing file of no known kind gives no previews at all, and
        // clears those of the previous clash.
        const ClashFiles unknown{Saved("b.txt", Filled(50, 50, Qt::red), "png"),
                                 Saved("b.png", Filled(50, 50, Qt::blue), "png"), "b.txt"};
        ChooseWhile(form, unknown, [&] { form.reject(); });
        QVERIFY(Part<QLabel>(form, "Image1")->pixmap().isNull());
        QVERIFY(Part<QLabel>(form, "Image2")->pixmap().isNull());
    }

    void opensInTheMiddleOfTheScreen() {
        // Not over its owner, which sits in a corner.
        QWidget owner;
        owner.setGeometry(0, 0, 120, 80);
        owner.show();
        TForm4 form(&owner);
        QPoint centre;
        ChooseWhile(form, PictureFiles(), [&] {
            centre = form.geometry().center();
            form.reject();
        });
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((centre - screenCentre).manhattanLength() <= 40);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm4Test)
#include "TForm4Test.moc"
