#include "app/TAboutBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kelvo {

class TAboutBoxTest : public QObject {
    Q_OBJECT

private slots:
    void ShowsNameVersionAndAddress() {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("バージョン情報"));
        QStringList texts;
        for (const QLabel* label : box.findChildren<QLabel*>())
            texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("ケルボ v" KELVO_PROJECT_VERSION)));
        QVERIFY(texts.contains(QStringLiteral("画像取得閲覧ツール")));
        QVERIFY(box.ProgramIcon->pixmap().width() > 0);
        QVERIFY(box.Edit1->isReadOnly());
        QVERIFY(box.Edit1->text().startsWith(QStringLiteral("https://")));
    }

    void EnterAndOkClose() {
        TAboutBox box;
        QCOMPARE(box.OKButton->text(), QStringLiteral("OK"));
        QVERIFY(box.OKButton->isDefault());
        QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Return); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QTimer::singleShot(0, box.OKButton, &QPushButton::click);
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TAboutBoxTest)
#include "TAboutBoxTest.moc"
