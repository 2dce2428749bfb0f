#include "app/AppSession.h"
#include "app/TForm1.h"
#include "common/WindowMover.h"
#include "support/Files.h"
#include "support/Modal.h"
#include "support/Parts.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <memory>

namespace kelvo {

using testing::Part;

// Takes the files the desktop would open.
class OpenedAddresses : public QObject {
    Q_OBJECT

public:
    OpenedAddresses() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~OpenedAddresses() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QList<QUrl> addresses;

public slots:
    void Open(const QUrl& address) { addresses << address; }
};

// The main window's own commands: panes and menu shown or hidden, opening the
// destination folder, and dragging the window by its body.
class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp;
    QString home;

    std::unique_ptr<AppSession> Start(const QByteArray& extra = {}) {
        static int count = 0;
        home = temp.path() + QStringLiteral("/home%1/").arg(++count);
        QDir().mkpath(home);
        if (!testing::WriteBytes(home + "kelvo.ini", "[Form]\r\nCBX2=0\r\n" + extra))
            return nullptr;
        auto session = std::make_unique<AppSession>(home);
        session->MainWindow().show();
        if (!QTest::qWaitForWindowExposed(&session->MainWindow()))
            return nullptr;
        return session;
    }

    static QStringList VisibleTexts(const QList<QAction*>& actions) {
        QStringList texts;
        for (const QAction* action : actions)
            if (action->isVisible())
                texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    }

    static bool HoverSelecting(const TForm1& form) {
        return Part<QTimer>(form, "Timer1")->isActive();
    }
    static void Trigger(const TForm1& form, const char* action) {
        Part<QAction>(form, action)->trigger();
    }

private slots:
    void hidingTheTreePaneGivesUpExactlyItsWidth() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        const int width = form.width();
        QWidget* treePane = Part<QWidget>(form, "Panel1");
        const int pane = treePane->width();
        QVERIFY(pane > 0);
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            // Told whole, beside the waiting text rather than over it.
            const QString notice = QStringLiteral("通知領域が無いため、アイコンは表示されません。");
            QLabel* shown = nullptr;
            QTRY_VERIFY((shown = form.findChild<QLabel*>(QStringLiteral("NoTrayNotice"))));
            QCOMPARE(shown->text(), notice);
            QVERIFY(shown->isVisible() && shown->wordWrap());
            QVERIFY(shown->width() <= form.width());
            // Tall enough for every line it wraps to.
            QVERIFY(shown->height() >= shown->heightForWidth(shown->width()));
            QCOMPARE(Part<QStatusBar>(form, "StatusBar1")->toolTip(), notice);
            QVERIFY(Part<QStatusBar>(form, "StatusBar1")->currentMessage().isEmpty());
            QCOMPARE(form.StatusText(), QStringLiteral("画像ドロップ待機中"));
        }
        Trigger(form, "Action6");
        QCOMPARE(form.width(), width - pane);
        QVERIFY(treePane->isHidden());
        QVERIFY(!HoverSelecting(form));
        QVERIFY(!form.TreePaneShown());
        Trigger(form, "Action6");
        QCOMPARE(form.width(), width);
        QCOMPARE(treePane->width(), pane);
        QVERIFY(HoverSelecting(form));
        QCOMPARE(form.SelectedDestination(), session->Current().CurrentIndex());
        QVERIFY(Part<QTreeView>(form, "TreeView1")->hasFocus());
    }

    void storedStatesApplyWithoutResizingAndAreWrittenBack() {
        auto session = Start("PBX1=0\r\nPBX2=0\r\nIHeight=60\r\nWidth=300\r\n");
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        QCOMPARE(form.width(), 300);
        QVERIFY(Part<QWidget>(form, "Panel1")->isHidden() && !HoverSelecting(form));
        QVERIFY(!Part<QAction>(form, "Exit1")->isVisible());
        QCOMPARE(form.PreviewPaneHeight(), 60);
        QCOMPARE(Part<QWidget>(form, "Panel3")->height(), 60);
        auto* splitter = Part<QSplitter>(form, "Splitter1");
        splitter->setSizes({40, 200});
        QCOMPARE(Part<QLabel>(form, "Image1")->height(), 40); // and so the preview refits
        splitter->setSizes({60, 200});
        QVERIFY(form.close());
        const std::optional<QByteArray> written = testing::ReadFile(home + "kelvo.ini");
        QVERIFY(written.has_value());
        for (const char* key : {"PBX1=0", "PBX2=0", "IHeight=60", "P1Width=96"})
            QVERIFY2(written->contains(key), key);
    }

    void hidingTheMenuLeavesOnlyTheHelp() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        QCOMPARE(VisibleTexts(form.menuBar()->actions()),
                 QStringList({"終了", "設定", "履歴", "貼り付け", "ヘルプ"}));
        Trigger(form, "Action5");
        const QMenu* help = Part<QMenu>(form, "Help1");
        QCOMPARE(VisibleTexts(form.menuBar()->actions()), QStringList({"ヘルプ"}));
        QCOMPARE(VisibleTexts(help->actions()), QStringList({"オンラインヘルプ", "-"}));
        Trigger(form, "Action5");
        QCOMPARE(VisibleTexts(help->actions()),
                 QStringList({"オンラインヘルプ", "-", "バージョン"}));
    }

    // The right side's menu and the tree's hold the same Action4, Action5 and
    // Action6, so their marks agree.
    void bothContextMenusShareTheCommands() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        const QList<QAction*> right = Part<QMenu>(form, "PopupMenu2")->actions();
        const QList<QAction*> tree = Part<QMenu>(form, "PopupMenu3")->actions();
        QCOMPARE(right.size(), 4);
        QCOMPARE(tree.size(), 5);
        QCOMPARE(tree[0], Part<QMenu>(form, "N7")->menuAction());
        for (int i : {0, 2, 3})
            QCOMPARE(tree[i + 1], right[i]);
        QVERIFY(right[1]->isSeparator() && tree[2]->isSeparator());
        QCOMPARE(right[2]->text(), QStringLiteral("メニューを表示する"));
        Trigger(form, "Action5");
        Trigger(form, "Action6");
        QVERIFY(!tree[3]->isChecked() && !right[2]->isChecked());
        QVERIFY(!tree[4]->isChecked() && !right[3]->isChecked());
    }

    void openingTheFolderOpensItOrSaysItIsMissing() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        const QString folder = temp.path() + "/pictures/";
        QVERIFY(QDir().mkpath(folder));
        form.SelectDestination(0);
        session->Destinations().Reset({{"pictures", folder}});
        form.SelectDestination(0);
        QCOMPARE(session->Current().CurrentFolder(), folder);
        const OpenedAddresses opened;
        Trigger(form, "Action4");
        QCOMPARE(opened.addresses, QList<QUrl>{QUrl::fromLocalFile(folder)});
        QVERIFY(QDir(folder).removeRecursively());
        QString told;
        testing::WhenNextModalShows([&](QWidget* box) {
            told = qobject_cast<QMessageBox*>(box)->text();
            QVERIFY2(!HoverSelecting(form), "nothing moves under the box");
        });
        Trigger(form, "Action4");
        QCOMPARE(opened.addresses.size(), 1);
        QCOMPARE(told, "保存先フォルダ " + folder.chopped(1) + " が存在しません。");
        QVERIFY(HoverSelecting(form));
    }

    // Pauses nest; hover selection comes back when the last ends, and only
    // while the tree pane is shown, whatever happened to the pane meanwhile.
    void hoverSelectionComesBackAfterTheLastPauseAndOnlyWithThePane() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        QVERIFY(HoverSelecting(form));
        {
            const PauseHoverSelection outer(form);
            {
                const PauseHoverSelection inner(form);
                QVERIFY(!HoverSelecting(form));
            }
            QVERIFY2(!HoverSelecting(form), "an inner pause ended, the outer holds");
            Trigger(form, "Action6"); // hidden
            Trigger(form, "Action6"); // shown again, while paused
            QVERIFY(!HoverSelecting(form));
        }
        QVERIFY(HoverSelecting(form));
        Trigger(form, "Action6");
        { const PauseHoverSelection pause(form); }
        QVERIFY2(!HoverSelecting(form), "no hover selection without the pane");
        Trigger(form, "Action6");
        QVERIFY(HoverSelecting(form));
    }

    void theBodyMovesTheWindowButNotTheIdentifierLine() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        int moves = 0;
        form.findChild<WindowMover*>(QString(), Qt::FindDirectChildrenOnly)->SetStarter([&] {
            ++moves;
        });
        QTest::mousePress(Part<QLabel>(form, "Label2"), Qt::LeftButton);
        QTest::mousePress(Part<QTreeView>(form, "TreeView1")->viewport(), Qt::LeftButton);
        QCOMPARE(moves, 0);
        QTest::mousePress(Part<QLabel>(form, "Label5"), Qt::LeftButton);
        QCOMPARE(moves, 1);
        QTest::mousePress(Part<QLabel>(form, "Image1"), Qt::RightButton);
        QTest::mousePress(Part<QStatusBar>(form, "StatusBar1"), Qt::MiddleButton);
        QTest::mousePress(Part<QStatusBar>(form, "StatusBar2"), Qt::LeftButton);
        QCOMPARE(moves, 4);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::MainWindowTest)
#include "MainWindowTest.moc"
