#include "app/TForm1.h"
#include "session/DisplayChoice.h"

#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
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

    // The window is narrow: a hint its status bar would cut is shown whole,
    // wrapped above the bar, and stays as the bar's tool tip; a short one
    // stands on the bar itself.
    void aHintTooLongForTheStatusBarIsShownWhole() {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QString hint = StackingHint(QStringLiteral("wayland"));
        form.ShowHint(hint);
        const auto* notice = form.findChild<QLabel*>(QStringLiteral("HintNotice"));
        QVERIFY(notice && notice->isVisible() && notice->wordWrap());
        QCOMPARE(notice->text(), hint);
        QVERIFY(notice->height() >= notice->heightForWidth(notice->width()));
        QCOMPARE(form.StatusBar1->toolTip(), hint);
        form.ShowHint(QStringLiteral("短い"));
        QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("短い"));
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm1Test)
#include "TForm1Test.moc"
