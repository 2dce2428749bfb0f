#include "app/TForm1.h"
#include "session/DisplayChoice.h"
#include "support/Parts.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

namespace kelvo {

using testing::Part;

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
        QSignalSpy opened(&form, &TForm1::OpenRequested);
        QSignalSpy notices(&form, &TForm1::NoticeRequested);
        Part<QAction>(form, "N16")->trigger();
        QVERIFY2(notices.isEmpty(), qPrintable(notices.value(0).value(0).toString()));
        QCOMPARE(opened.size(), 1);
        const QString guide = opened.first().first().toUrl().toLocalFile();
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
        const auto* bar = Part<QStatusBar>(form, "StatusBar1");
        QCOMPARE(bar->toolTip(), hint);
        form.ShowHint(QStringLiteral("短い"));
        QCOMPARE(bar->currentMessage(), QStringLiteral("短い"));
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm1Test)
#include "TForm1Test.moc"
