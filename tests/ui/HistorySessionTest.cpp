#include "app/AppSession.h"
#include "app/TForm1.h"
#include "capture/CapturePipeline.h"
#include "history/HistoryListModel.h"
#include "history/TForm7.h"
#include "logs/HistoryTree.h"
#include "support/Files.h"
#include "support/Parts.h"
#include "support/TestHome.h"
#include "viewer/TForm5.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace kelvo {

using testing::Part;

// The history browser and the viewer inside a running session: how they are
// opened from the main window and what they keep in the settings file.
class HistorySessionTest : public QObject {
    Q_OBJECT

private:
    testing::TestHomes homes;

    // The lines of one section of an INI text.
    static QByteArrayList Section(const QByteArray& ini, const QByteArray& name) {
        QByteArrayList lines;
        bool inside = false;
        for (const QByteArray& line : ini.split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed.startsWith('['))
                inside = trimmed == "[" + name + "]";
            else if (inside && !trimmed.isEmpty())
                lines << trimmed;
        }
        return lines;
    }

    // Notes the caption of the next modal window, and whether the hover
    // selection ran meanwhile, then closes it.
    static void CloseNextModal(QString* caption, bool* timerActive, TForm1* form) {
        QTimer::singleShot(0, [=] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            *caption = modal->windowTitle();
            *timerActive = Part<QTimer>(*form, "Timer1")->isActive();
            modal->close();
        });
    }

private slots:
    // After "設定" in the menu bar, hidden with it; second in the icon's menu,
    // where it opens the history too.
    void theMenuBarAndTheTrayMenuHoldHistory() {
        AppSession session(homes.New("[Form]\r\nCBX2=0\r\n"));
        TForm1& form = session.MainWindow();
        QAction* history = Part<QAction>(form, "x1");
        const QList<QAction*> bar = form.menuBar()->actions();
        QCOMPARE(bar.indexOf(history), bar.indexOf(Part<QAction>(form, "N3")) + 1);
        QCOMPARE(history->text(), QStringLiteral("履歴"));
        Part<QAction>(form, "Action5")->trigger(); // hide the menu
        QVERIFY(!history->isVisible());
        QAction* trayHistory = testing::PartOfNoWindow<QMenu>("PopupMenu1")->actions().value(1);
        QVERIFY(trayHistory);
        QCOMPARE(trayHistory->text(), QStringLiteral("履歴"));
        QString caption;
        bool timerActive = true;
        CloseNextModal(&caption, &timerActive, &form);
        trayHistory->trigger();
        QCOMPARE(caption, QStringLiteral("履歴と画像閲覧 - ケルボ"));
    }

    void historyOpensModallyWithoutHoverSelection() {
        AppSession session(homes.New("[Form]\r\nCBX2=0\r\n"));
        TForm1& form = session.MainWindow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QString caption;
        bool timerActive = true;
        CloseNextModal(&caption, &timerActive, &form);
        Part<QAction>(form, "x1")->trigger();
        QCOMPARE(caption, QStringLiteral("履歴と画像閲覧 - ケルボ"));
        QVERIFY(!timerActive);
        QVERIFY(Part<QTimer>(form, "Timer1")->isActive());
    }

    void thePreviewOpensTheLastCaptureFullSize() {
        const QString home = homes.New("[Form]\r\nCBX2=0\r\n");
        AppSession session(home);
        TForm1& form = session.MainWindow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Before any capture a double-click does nothing.
        QLabel* preview = Part<QLabel>(form, "Image1");
        QTest::mouseDClick(preview, Qt::LeftButton);
        QVERIFY(!QApplication::activeModalWidget());

        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::yellow);
        const QString source = homes.Path() + "/shot.png";
        QVERIFY(image.save(source));
        const CaptureOutcome outcome = session.Pipeline().CaptureFile({source, {}});
        QCOMPARE(outcome.kind, CaptureOutcome::Kind::Saved);
        QString caption;
        bool timerActive = true;
        CloseNextModal(&caption, &timerActive, &form);
        QTest::mouseDClick(preview, Qt::LeftButton);
        QCOMPARE(caption, outcome.savedPath + " - ケルボ");
        QCOMPARE(session.Viewer().PanelText(0), QStringLiteral("200 x 100"));
        QVERIFY(!timerActive);
    }

    // The history shows the disk: a day captured while it is open appears,
    // a capture to the listed day is listed in place with the selection kept,
    // and one made while the window was away is there when it shows again.
    void theHistoryFollowsTheCapturesWhileItIsOpen() {
        AppSession session(homes.New("[Form]\r\nCBX2=0\r\n"));
        TForm7& history = session.HistoryBrowser();
        const auto capture = [&](const QString& name) {
            const QString source = homes.Path() + "/" + name;
            testing::WriteBytes(source, "bytes of " + name.toUtf8());
            return session.Pipeline().CaptureFile({source, {}}).kind == CaptureOutcome::Kind::Saved;
        };
        history.show();
        QVERIFY(QTest::qWaitForWindowExposed(&history));
        QVERIFY(capture("a.png"));
        const QModelIndex month = session.History().index(0, 0);
        QVERIFY(month.isValid());
        history.TreeView1->setCurrentIndex(session.History().index(0, 0, month));
        history.ListView1->selectRow(0);

        QVERIFY(capture("b.png"));
        QTRY_COMPARE(history.ListModel().LineCount(), 2);
        const QModelIndexList selected = history.ListView1->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(history.ListModel().Line(selected.first().row()).fileName, "a.png");

        history.hide();
        QVERIFY(capture("c.png"));
        history.show();
        QCOMPARE(history.ListModel().LineCount(), 3);
    }

    void theViewerAndTheBrowserKeepTheirSettings() {
        const QString home = homes.New("[Form]\r\nCBX2=0\r\n"
                                       "[Form5]\r\nLeft=30\r\nTop=40\r\nWidth=500\r\nHeight=400\r\n"
                                       "[Form7]\r\nWidth=700\r\nHeight=520\r\nP1Width=150\r\n"
                                       "IHeight=120\r\n");
        AppSession session(home);
        QCOMPARE(session.Viewer().geometry(), QRect(30, 40, 500, 400));
        QCOMPARE(session.HistoryBrowser().size(), QSize(700, 520));
        QVERIFY(session.FormClose());
        const QByteArray ini = testing::ReadBytes(home + "kelvo.ini");
        const QByteArrayList viewer = Section(ini, "Form5");
        for (const char* line : {"Left=30", "Top=40", "Width=500", "Height=400", "WindowState=0"})
            QVERIFY2(viewer.contains(line), line);
        const QByteArrayList browser = Section(ini, "Form7");
        for (const char* line : {"Width=700", "Height=520", "P1Width=150", "IHeight=120"})
            QVERIFY2(browser.contains(line), line);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::HistorySessionTest)
#include "HistorySessionTest.moc"
