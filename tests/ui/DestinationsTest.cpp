#include "app/AppSession.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "destinations/DestinationFiles.h"
#include "destinations/DestinationTreePane.h"
#include "handover/HandOverClient.h"
#include "links/InstanceLink.h"
#include "support/EventLoop.h"
#include "support/FileIdentity.h"
#include "support/Files.h"
#include "support/Logs.h"
#include "support/Parts.h"
#include "support/TestHome.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <thread>

namespace kelvo {

using testing::Part;

// The destination views of a whole session: the main window's tree and the
// settings dialog's list over one destination list, and the current
// destination they select.
class DestinationsTest : public QObject {
    Q_OBJECT

private:
    testing::TestHomes homes;

    QString NewHome(const QByteArray& settings = {}) { return homes.New(settings); }

    std::unique_ptr<AppSession> Start(const QString& home) {
        auto session = std::make_unique<AppSession>(home);
        session->MainWindow().resize(400, 300);
        session->MainWindow().show();
        if (!QTest::qWaitForWindowExposed(&session->MainWindow()))
            return nullptr;
        return session;
    }

    QList<SaveDestination> Three(const QString& base) {
        return {{"cats", base + "cats/"}, {"dogs", base + "dogs/"}, {"birds", base + "birds/"}};
    }

    static QString Shown(const TForm1& form, const char* label) {
        return Part<QLabel>(form, label)->text();
    }

    // Global position of an entry's text in the tree.
    QPoint OnEntry(QTreeView* tree, int row) {
        const QRect rect = tree->visualRect(tree->model()->index(row, 0));
        return tree->viewport()->mapToGlobal(rect.topLeft() + QPoint(4, rect.height() / 2));
    }

private slots:
    void firstRunHasTheDefaultDestinationAndASecondRunTheFiles() {
        const QString home = NewHome();
        {
            auto session = Start(home);
            QVERIFY(session);
            QCOMPARE(session->Destinations().Count(), 1);
            QCOMPARE(session->Destinations().At(0).identifier, QStringLiteral("初期フォルダ"));
            QCOMPARE(session->Current().CurrentFolder(), home);
            QCOMPARE(Shown(session->MainWindow(), "Label2"), QStringLiteral("初期フォルダ"));
            session->Destinations().Reset(Three(home));
            QVERIFY(session->SaveOnClose());
        }
        QVERIFY(testing::WriteBytes(home + "kelvo.ini", "[Form]\r\nNORI=1\r\nDefIndex=2\r\n"));
        auto again = Start(home);
        QVERIFY(again);
        QCOMPARE(again->Destinations().All(), Three(home)); // file order, not sorted
        QCOMPARE(again->Current().CurrentIdentifier(), QStringLiteral("birds"));
        QCOMPARE(again->Current().CurrentIndex(), 2);
        QCOMPARE(Part<QStatusBar>(again->MainWindow(), "StatusBar2")->findChild<QLabel*>()->text(),
                 QStringLiteral("birds"));
    }

    void theFirstRunsDefaultDestinationBecomesCurrent() {
        const QString home = NewHome("[Form]\r\nDefSiki=old\r\nDefFolder=/tmp/old/\r\n");
        auto session = Start(home);
        QVERIFY(session);
        QCOMPARE(session->Current().CurrentIdentifier(), QStringLiteral("初期フォルダ"));
        QCOMPARE(session->Current().CurrentFolder(), QStringLiteral("/tmp/old/"));
        QCOMPARE(Shown(session->MainWindow(), "Label2"), QStringLiteral("初期フォルダ"));
    }

    void aStoredPositionThatIsNoEntrySelectsTheFirst() {
        const QString home = NewHome("[Form]\r\nNORI=1\r\nDefIndex=7\r\n");
        {
            AppSession writer(home);
            writer.Destinations().Reset(Three(home));
            QVERIFY(writer.SaveOnClose());
        }
        auto session = Start(home);
        QVERIFY(session);
        QCOMPARE(session->Current().CurrentIdentifier(), QStringLiteral("cats"));
        QCOMPARE(session->Current().CurrentIndex(), 0);
    }

    void restingThePointerOnAnEntryMakesItCurrent() {
        auto session = Start(NewHome());
        QVERIFY(session);
        session->Destinations().Reset(Three(homes.Path() + "/"));
        TForm1& form = session->MainWindow();
        form.ShowSavedName("last.jpg");
        auto* pane = Part<DestinationTreePane>(form, "Panel1");
        QTreeView* tree = pane->TreeView1;
        QPoint pointer = OnEntry(tree, 1);
        pane->SetPointerSource([&] { return pointer; });
        pane->Timer1Timer();
        QCOMPARE(session->Current().CurrentIdentifier(), QStringLiteral("dogs"));
        QCOMPARE(session->Current().CurrentIndex(), 1);
        QCOMPARE(Shown(form, "Label1"), homes.Path() + "/dogs/");
        QVERIFY(Shown(form, "Label3").isEmpty());
        // Empty space right of the text or below the last entry does nothing.
        pointer = tree->viewport()->mapToGlobal(QPoint(tree->viewport()->width() - 2, 2));
        pane->Timer1Timer();
        pointer = tree->viewport()->mapToGlobal(QPoint(4, tree->viewport()->height() - 2));
        pane->Timer1Timer();
        QCOMPARE(session->Current().CurrentIdentifier(), QStringLiteral("dogs"));
        // The timer drives it, once a second.
        QCOMPARE(Part<QTimer>(form, "Timer1")->interval(), 1000);
    }

    void aRightPressSelectsTheEntryBeforeTheMenuOpens() {
        auto session = Start(NewHome());
        QVERIFY(session);
        session->Destinations().Reset(Three(homes.Path() + "/"));
        TForm1& form = session->MainWindow();
        auto* tree = Part<QTreeView>(form, "TreeView1");
        const QPoint at = tree->viewport()->mapFromGlobal(OnEntry(tree, 2));
        QTest::mousePress(tree->viewport(), Qt::RightButton, Qt::NoModifier, at);
        QCOMPARE(session->Current().CurrentIdentifier(), QStringLiteral("birds"));
        const QMenu* commands = Part<QMenu>(form, "N7");
        QCOMPARE(commands->title(), QStringLiteral("保存先情報"));
        QStringList shown;
        for (const QAction* command : commands->actions()) {
            QVERIFY2(command->isEnabled(), qPrintable(command->text()));
            shown << command->text();
        }
        QCOMPARE(shown, QStringList({"追加", "編集", "削除"}));
        Part<QMenu>(form, "PopupMenu3")->close();
    }

    void bothViewsAgreeByPositionAfterASort() {
        auto session = Start(NewHome());
        QVERIFY(session);
        DestinationList& list = session->Destinations();
        list.Reset(Three(homes.Path() + "/"));
        TForm1& form = session->MainWindow();
        form.SelectDestination(1); // dogs
        list.Append({"ants", homes.Path() + "/ants/"});
        list.Sort();
        const QAbstractItemModel* table =
            Part<QTableView>(session->SettingsDialog(), "ListView1")->model();
        const QAbstractItemModel* tree = Part<QTreeView>(form, "TreeView1")->model();
        for (int row = 0; row < list.Count(); ++row)
            QCOMPARE(tree->index(row, 0).data().toString(), table->index(row, 0).data().toString());
        QCOMPARE(list.At(0).identifier, QStringLiteral("ants"));
        QCOMPARE(form.SelectedIdentifier(), QStringLiteral("dogs"));
    }

    void theFolderLineIsShortenedToItsWidth() {
        auto session = Start(NewHome());
        QVERIFY(session);
        const QString deep = homes.Path() + "/one/two/three/four/";
        session->Destinations().Reset({{"deep", deep}});
        TForm1& form = session->MainWindow();
        form.SelectDestination(0);
        const QLabel* line = Part<QLabel>(form, "Label1");
        QCOMPARE(line->text(), deep);
        form.resize(160, 300);
        QTRY_VERIFY(line->text() != deep);
        QVERIFY(line->text().isEmpty() || line->text().contains("..."));
        QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) <=
                Part<QWidget>(form, "GroupBox1")->width() - line->x());
    }

    void theSettingsPageSelectsTheCurrentRowAndEnablesCommands() {
        auto session = Start(NewHome());
        QVERIFY(session);
        session->Destinations().Reset(Three(homes.Path() + "/"));
        session->MainWindow().SelectDestination(2);
        TForm2& dialog = session->SettingsDialog();
        QTimer::singleShot(0, &dialog, [&] {
            QCOMPARE(dialog.SelectedIdentifier(), QStringLiteral("birds"));
            QVERIFY(Part<QPushButton>(dialog, "Button5")->isEnabled());
            QVERIFY(Part<QPushButton>(dialog, "Button6")->isEnabled());
            dialog.SelectDestination(0);
            Part<QPushButton>(dialog, "OkButton")->click();
        });
        session->OpenSettings();
        QCOMPARE(session->Current().CurrentIdentifier(), QStringLiteral("cats"));
        QCOMPARE(session->MainWindow().SelectedDestination(), 0);
        QVERIFY(Part<QTimer>(session->MainWindow(), "Timer1")->isActive());
    }

    // A browser's menu names a destination: the capture goes there and makes
    // it current, and its row names the page the browser vouched for. One the
    // list no longer has takes nothing.
    void aHandOverThatNamesADestinationMakesItCurrent() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n");
        auto session = Start(home);
        QVERIFY(session);
        const QString base = homes.Path() + "/";
        session->Destinations().Reset(Three(base));
        QDir().mkpath(base + "dogs");
        QVERIFY(session->AcceptHandOvers());
        const QString source = base + "x.jpg";
        QVERIFY(testing::WriteBytes(source, "picture"));
        const auto handOver = [&](const QString& destination) {
            std::optional<int> code;
            std::thread client([&] {
                QString said;
                QTextStream err(&said);
                code = HandOverCapture(
                    home, {destination, {{source, "https://example.com/page", "https://i/x.jpg"}}},
                    [](const HandedOutcome&) {}, err);
            });
            testing::RunEventsUntil([&] { return code.has_value(); });
            client.join();
            return code;
        };
        QCOMPARE(handOver("dogs"), std::optional<int>(0));
        QCOMPARE(session->Current().CurrentIdentifier(), QStringLiteral("dogs"));
        const QStringList logs =
            QDir(home + "Logs").entryList({"*"}, QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(logs.size(), 1);
        const QString log =
            QDir(home + "Logs/" + logs.first()).entryInfoList({"*.txt"}).first().filePath();
        QCOMPARE(testing::LogColumn(log, &testing::LogRow::address),
                 QStringList{"https://example.com/page"});
        QCOMPARE(testing::LogColumn(log, &testing::LogRow::folder), QStringList{base + "dogs/"});

        QCOMPARE(handOver("gone"), std::optional<int>(1));
        QCOMPARE(session->Current().CurrentIdentifier(), QStringLiteral("dogs"));
    }

    // What OK took outlives a logout that comes before the close.
    void okWritesTheSettingsAndTheListAtOnce() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n");
        auto session = Start(home);
        QVERIFY(session);
        session->Destinations().Reset(Three(homes.Path() + "/"));
        TForm2& dialog = session->SettingsDialog();
        QTimer::singleShot(0, &dialog, [&] {
            dialog.SelectDestination(1);
            Part<QPushButton>(dialog, "OkButton")->click();
        });
        session->OpenSettings();
        QVERIFY(testing::ReadBytes(home + "kelvo.ini").contains("DefSiki=dogs"));
        QVERIFY(testing::ReadBytes(home + "ListView.txt").contains("\"birds\""));
    }

    // A drag over the tree passes entry after entry: only where it rests is
    // written, once it has settled.
    void aNewCurrentDestinationIsWrittenOnceItSettles() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n");
        auto session = Start(home);
        QVERIFY(session);
        session->Destinations().Reset(Three(homes.Path() + "/"));
        const testing::FileIdentity before = testing::IdentityOf(home + "kelvo.ini");
        session->MainWindow().SelectDestination(1);
        session->MainWindow().SelectDestination(2);
        QTest::qWait(500);
        QVERIFY(testing::IdentityOf(home + "kelvo.ini") == before);
        QTRY_VERIFY_WITH_TIMEOUT(testing::ReadBytes(home + "kelvo.ini").contains("DefSiki=birds"),
                                 5000);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::DestinationsTest)
#include "DestinationsTest.moc"
