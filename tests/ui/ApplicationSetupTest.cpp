#include "app/ApplicationSetup.h"
#include "app/AppSession.h"
#include "app/TForm1.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QTest>

namespace kelvo {

// The identity the desktop shows, set up as the program starts.
class ApplicationSetupTest : public QObject {
    Q_OBJECT

    testing::TestHomes homes_;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SetUpApplication(*qApp);
    }

    void theIconIsKelvosOwnInEverySize() {
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        for (const int side : {16, 32, 48, 256})
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
        // Drawn, not blank: the blue tile fills the middle.
        const QImage drawn = icon.pixmap(64, 64).toImage();
        const QColor middle = drawn.pixelColor(32, 58);
        QVERIFY2(middle.alpha() == 255 && middle.blue() > 150 && middle.red() < 100,
                 qPrintable(middle.name()));
        QVERIFY(drawn.pixelColor(0, 0).alpha() == 0); // the tile's rounded corner
    }

    void theDesktopFileAndTheLocaleAreSet() {
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("kelvo"));
        // No name added to every caption: the windows carry their own.
        QVERIFY(QGuiApplication::applicationDisplayName() == QCoreApplication::applicationName());
        QCOMPARE(QLocale().language(), QLocale::Japanese);
    }

    void theWindowsAndTheVersionBoxShowIt() {
        AppSession session(homes_.New("[Form]\r\nCBX2=0\r\n"));
        TForm1& form = session.MainWindow();
        QCOMPARE(form.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        auto* programIcon = form.window()->findChild<QLabel*>(QStringLiteral("ProgramIcon"));
        QVERIFY(programIcon && !programIcon->pixmap().isNull());
        const QImage shown = programIcon->pixmap().toImage();
        const QColor middle = shown.pixelColor(shown.width() / 2, shown.height() * 9 / 10);
        QVERIFY2(middle.blue() > 150 && middle.red() < 100, qPrintable(middle.name()));
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::ApplicationSetupTest)
#include "ApplicationSetupTest.moc"
