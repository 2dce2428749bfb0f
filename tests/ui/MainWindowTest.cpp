#include "app/AppSession.h"
#include "app/TForm1.h"
#include "destinations/DestinationTreePane.h"
#include "support/Files.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <memory>

namespace kelvo {

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

private slots:
    void hidingTheTreePaneGivesUpExactlyItsWidth() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        const int width = form.width();
        const int pane = form.Panel1->width();
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
            QCOMPARE(form.StatusBar1->toolTip(), notice);
            QVERIFY(form.StatusBar1->currentMessage().isEmpty());
            QCOMPARE(form.StatusText(), QStringLiteral("画像ドロップ待機中"));
        }
        form.Action6->trigger();
        QCOMPARE(form.width(), width - pane);
        QVERIFY(form.Panel1->isHidden());
        QVERIFY(!form.Timer1->isActive());
        QVERIFY(!form.Action6->isChecked());
        form.Action6->trigger();
        QCOMPARE(form.width(), width);
        QCOMPARE(form.Panel1->width(), pane);
        QVERIFY(form.Timer1->isActive());
        QCOMPARE(form.Panel1->SelectedPosition(), session->Current().CurrentIndex());
        QVERIFY(form.Panel1->TreeView1->hasFocus());
    }

    void storedStatesApplyWithoutResizingAndAreWrittenBack() {
        auto session = Start("PBX1=0\r\nPBX2=0\r\nIHeight=60\r\nWidth=300\r\n");
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        QCOMPARE(form.width(), 300);
        QVERIFY(form.Panel1->isHidden() && !form.Timer1->isActive());
        QVERIFY(!form.Exit1->isVisible());
        QCOMPARE(form.PreviewPaneHeight(), 60);
        QCOMPARE(form.Panel3->height(), 60);
        form.Splitter1->setSizes({40, 200});
        QCOMPARE(form.Image1->height(), 40); // and so the preview refits
        form.Splitter1->setSizes({60, 200});
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
        form.Action5->trigger();
        QCOMPARE(VisibleTexts(form.menuBar()->actions()), QStringList({"ヘルプ"}));
        QCOMPARE(VisibleTexts(form.Help1->actions()), QStringList({"オンラインヘルプ", "-"}));
        form.Action5->trigger();
        QCOMPARE(VisibleTexts(form.Help1->actions()),
                 QStringList({"オンラインヘルプ", "-", "バージョン"}));
    }

    // N12/N8, N13/N6 and N14/N11 are the same actions, so their marks agree.
    void bothContextMenusShareTheCommands() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        const QList<QAction*> right = form.PopupMenu2->actions();
        const QList<QAction*> tree = form.Panel1->PopupMenu3->actions();
        QCOMPARE(right.size(), 4);
        QCOMPARE(tree.size(), 5);
        QCOMPARE(tree[0], form.Panel1->N7->menuAction());
        for (int i : {0, 2, 3})
            QCOMPARE(tree[i + 1], right[i]);
        QVERIFY(right[1]->isSeparator() && tree[2]->isSeparator());
        QCOMPARE(right[2]->text(), QStringLiteral("メニューを表示する"));
        form.Action5->trigger();
        form.Action6->trigger();
        QVERIFY(!tree[3]->isChecked() && !right[2]->isChecked());
        QVERIFY(!tree[4]->isChecked() && !right[3]->isChecked());
    }

    void openingTheFolderOpensItOrSaysItIsMissing() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        const QString folder = temp.path() + "/pictures/";
        QVERIFY(QDir().mkpath(folder));
        form.Panel1->Select(0);
        session->Destinations().Reset({{"pictures", folder}});
        form.Panel1->Select(0);
        QCOMPARE(session->Current().CurrentFolder(), folder);
        QList<QUrl> opened;
        QStringList notices;
        form.SetOpener([&](const QUrl& url) { opened << url; });
        form.SetNotifier([&](const QString& text) {
            QVERIFY(!form.Timer1->isActive());
            notices << text;
        });
        form.Action4->trigger();
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
        QVERIFY(notices.isEmpty());
        QVERIFY(QDir(folder).removeRecursively());
        form.Action4->trigger();
        QCOMPARE(opened.size(), 1);
        QCOMPARE(notices, QStringList("保存先フォルダ " + folder.chopped(1) + " が存在しません。"));
        QVERIFY(form.Timer1->isActive());
    }

    // Pauses nest; hover selection comes back when the last ends, and only
    // while the tree pane is shown, whatever happened to the pane meanwhile.
    void hoverSelectionComesBackAfterTheLastPauseAndOnlyWithThePane() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        QVERIFY(form.Timer1->isActive());
        {
            const PauseHoverSelection outer(form);
            {
                const PauseHoverSelection inner(form);
                QVERIFY(!form.Timer1->isActive());
            }
            QVERIFY2(!form.Timer1->isActive(), "an inner pause ended, the outer holds");
            form.Action6->trigger(); // hidden
            form.Action6->trigger(); // shown again, while paused
            QVERIFY(!form.Timer1->isActive());
        }
        QVERIFY(form.Timer1->isActive());
        form.Action6->trigger();
        { const PauseHoverSelection pause(form); }
        QVERIFY2(!form.Timer1->isActive(), "no hover selection without the pane");
        form.Action6->trigger();
        QVERIFY(form.Timer1->isActive());
    }

    void theBodyMovesTheWindowButNotTheIdentifierLine() {
        auto session = Start();
        QVERIFY(session);
        TForm1& form = session->MainWindow();
        int moves = 0;
        form.SetMoveStarter([&] { ++moves; });
        QTest::mousePress(form.Label2, Qt::LeftButton);
        QTest::mousePress(form.Panel1->TreeView1->viewport(), Qt::LeftButton);
        QCOMPARE(moves, 0);
        QTest::mousePress(form.Label5, Qt::LeftButton);
        QCOMPARE(moves, 1);
        QTest::mousePress(form.Image1, Qt::RightButton);
        QTest::mousePress(form.StatusBar1, Qt::MiddleButton);
        QTest::mousePress(form.Panel1->StatusBar2, Qt::LeftButton);
        QCOMPARE(moves, 4);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::MainWindowTest)
#include "MainWindowTest.moc"
