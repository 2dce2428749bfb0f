#include "app/TAboutBox.h"
#include "support/Parts.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace kelvo {

using testing::Part;

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
        QVERIFY(Part<QLabel>(box, "ProgramIcon")->pixmap().width() > 0);
        const auto* edit = Part<QLineEdit>(box, "Edit1");
        QVERIFY(edit->isReadOnly());
        // The guide's address: the source tree's guide, for a test run from the build.
        const QUrl address(edit->text());
        QVERIFY2(address.isLocalFile() && QFileInfo(address.toLocalFile()).isFile() &&
                     address.fileName() == QStringLiteral("guide.html"),
                 qPrintable(edit->text()));
    }

    void EnterAndOkClose() {
        TAboutBox box;
        auto* ok = Part<QPushButton>(box, "OKButton");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Return); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QTimer::singleShot(0, ok, &QPushButton::click);
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TAboutBoxTest)
#include "TAboutBoxTest.moc"
