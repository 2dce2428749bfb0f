#include "app/TForm1.h"

#include <QFileInfo>
#include <QTest>

namespace kelvo {

class TForm1Test : public QObject {
    Q_OBJECT

private slots:
    void showsTheProgramCaption() {
        TForm1 form;
        QCOMPARE(form.objectName(), QStringLiteral("TForm1"));
        QCOMPARE(form.windowTitle(), QStringLiteral("ケルボ v" KELVO_PROJECT_VERSION));
    }

    void closesOnRequest() {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
    }

    // This test runs from the build folder, where no guide is installed: the
    // source tree's is opened, as for ./run.sh.
    void theGuideIsFoundFromTheBuildFolder() {
        TForm1 form;
        QList<QUrl> opened;
        QStringList notices;
        form.SetOpener([&](const QUrl& url) { opened << url; });
        form.SetNotifier([&](const QString& text) { notices << text; });
        form.N16->trigger();
        QVERIFY2(notices.isEmpty(), qPrintable(notices.join(u'\n')));
        QCOMPARE(opened.size(), 1);
        const QString guide = opened.constFirst().toLocalFile();
        QVERIFY2(guide.endsWith(QStringLiteral("/docs/guide.html")), qPrintable(guide));
        QVERIFY(QFileInfo(guide).isFile());
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm1Test)
#include "TForm1Test.moc"
