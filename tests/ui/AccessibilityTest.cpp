#include "app/AppSession.h"
#include "app/TForm1.h"
#include "history/TForm7.h"
#include "support/TestHome.h"

#include <QAccessible>
#include <QTest>

namespace kelvo {
namespace {

struct Described {
    QString name;
    QString description;
};

// Everything a screen reader reaches from the window, by accessible name.
void Collect(QAccessibleInterface* node, QList<Described>& found, int depth = 0) {
    if (!node || depth > 30)
        return;
    found.append({node->text(QAccessible::Name), node->text(QAccessible::Description)});
    for (int i = 0; i < node->childCount(); ++i)
        Collect(node->child(i), found, depth + 1);
}

QString DescriptionOf(QWidget& window, const QString& name) {
    QList<Described> found;
    Collect(QAccessible::queryAccessibleInterface(&window), found);
    for (const Described& item : found)
        if (item.name == name)
            return item.description.isEmpty() ? QStringLiteral("(no description)")
                                              : item.description;
    return {};
}

void ExpectDescribed(QWidget& window, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const QString description = DescriptionOf(window, QString::fromUtf8(name));
        QVERIFY2(!description.isEmpty(), name);
        QVERIFY2(description != QStringLiteral("(no description)"), name);
    }
}

} // namespace

// The parts a user works with are named and described for screen readers,
// and reachable from their window.
class AccessibilityTest : public QObject {
    Q_OBJECT

    testing::TestHomes homes_;

private slots:
    void theMainWindowsPartsAreNamed() {
        AppSession session(homes_.New("[Form]\r\nCBX2=0\r\nPBX1=1\r\n"));
        TForm1& form = session.MainWindow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ExpectDescribed(form, {"画像ドロップ領域", "保存した画像のプレビュー", "保存先一覧"});
    }

    void theHistoryBrowsersPartsAreNamed() {
        AppSession session(homes_.New("[Form]\r\nCBX2=0\r\n"));
        TForm7& browser = session.HistoryBrowser();
        browser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&browser));
        ExpectDescribed(browser, {"取得した年月日", "選んだ画像のプレビュー", "取得履歴"});
        browser.hide();
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::AccessibilityTest)
#include "AccessibilityTest.moc"
