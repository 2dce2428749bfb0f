#include "app/TForm1.h"

#include <QTest>

namespace kelvo {

class TForm1Test : public QObject {
    Q_OBJECT

private slots:
    void showsTheProgramCaption() {
        TForm1 form;
        QCOMPARE(form.objectName(), QStringLiteral("TForm1"));
        QCOMPARE(form.windowTitle(), QStringLiteral("ケルボ v1.13"));
    }

    void closesOnRequest() {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm1Test)
#include "TForm1Test.moc"
