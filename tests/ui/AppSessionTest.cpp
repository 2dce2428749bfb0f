#include "app/AppSession.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "capture/CapturePipeline.h"
#include "destinations/DestinationTreePane.h"
#include "files/FileBytes.h"
#include "history/TForm7.h"
#include "support/FileIdentity.h"
#include "support/Files.h"
#include "support/Parts.h"
#include "support/TestHome.h"
#include "viewer/TForm5.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace kelvo {

using testing::Part;

// Start-up from the settings file and the close that writes it back.
class AppSessionTest : public QObject {
    Q_OBJECT

private:
    testing::TestHomes homes;

    QString NewHome(const QByteArray& settings = {}) { return homes.New(settings); }

    // Answers the next message box with the given button.
    static void AnswerNextQuestion(QMessageBox::StandardButton answer, QString* asked) {
        QTimer::singleShot(0, [=] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            *asked = box->text();
            box->button(answer)->click();
        });
    }

private slots:
    void firstRunUsesTheDefaultsAndTheCloseWritesEveryKey() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n");
        AppSession session(home);
        TForm1& form = session.MainWindow();
        QCOMPARE(form.geometry(), QRect(100, 100, 287, 292));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Where the window system keeps it on top, no word about stacking.
        QCOMPARE(Part<QStatusBar>(form, "StatusBar1")->currentMessage(), QString());
        QCOMPARE(Part<QSplitter>(form, "Splitter2")->sizes().value(0), 96);
        QVERIFY(form.close()); // no question with CBX2 off
        const QByteArray ini = testing::ReadBytes(home + "kelvo.ini");
        for (const char* key : {"[Form]",     "Top=",          "Left=",
                                "Width=",     "Height=",       "IHeight=111",
                                "P1Width=",   "WindowState=0", "DefSiki=初期フォルダ",
                                "DefIndex=0", "DefFolder=",    "CBX1=1",
                                "CBX2=0",     "PBX1=1",        "PBX2=1",
                                "TBR1=0",     "NORI=1",        "[Form5]",
                                "Width=585",  "[Form7]",       "Width=683"})
            QVERIFY2(ini.contains(key), key);
        QVERIFY(QFile::exists(home + "ListView.txt"));
        QVERIFY(QFile::exists(home + "TreeView.txt"));
        QVERIFY(QFile::exists(home + "TreeViewLogs.txt"));
    }

    // Sizes and places from a hand-edited settings file never open a window
    // out of reach, nor a pane too small to see.
    void windowsFromTheSettingsOpenWholeOnTheScreen() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\nWidth=100000\r\nHeight=100000\r\n"
                                     "P1Width=-10\r\nIHeight=5000\r\n"
                                     "[Form7]\r\nLeft=-5000\r\nTop=-5000\r\n"
                                     "[Form5]\r\nLeft=90000\r\nTop=90000\r\n");
        AppSession session(home);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        for (QWidget* window : std::initializer_list<QWidget*>{
                 &session.MainWindow(), &session.HistoryBrowser(), &session.Viewer()})
            QVERIFY2(screen.contains(window->geometry()), qPrintable(window->objectName()));
        TForm1& form = session.MainWindow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.TreePaneWidth() >= 24);
        QVERIFY(form.PreviewPaneHeight() >= 24);
        QVERIFY(Part<QSplitter>(form, "Splitter2")->sizes().value(1) >= 24);
    }

    // The history browser and the viewer are made when first opened: a run
    // that never opens them writes back the places it read, and a later run
    // opens them there.
    void windowsNeverOpenedKeepTheirPlaces() {
        const QList<QByteArray> places = {
            "[Form7]",     "Top=30",      "Left=40",       "Width=700", "Height=500",
            "IHeight=150", "P1Width=210", "WindowState=2", "[Form5]",   "Top=10",
            "Left=20",     "Width=600",   "Height=400"};
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n" + places.join("\r\n") + "\r\n");
        {
            AppSession session(home);
            session.MainWindow().show();
            QVERIFY(session.MainWindow().close());
        }
        const QByteArray ini = testing::ReadBytes(home + "kelvo.ini");
        for (const QByteArray& place : places)
            QVERIFY2(ini.contains(place + "\r\n"), place.constData());
        AppSession session(home);
        TForm7& browser = session.HistoryBrowser();
        QVERIFY(browser.windowState() & Qt::WindowMaximized);
        QCOMPARE(browser.TreePaneWidth(), 210);
        QCOMPARE(browser.PreviewPaneHeight(), 150);
        QCOMPARE(session.Viewer().geometry(), QRect(20, 10, 600, 400));
    }

    // A close or a drop killed halfway leaves nothing for good.
    void leftoversOfAKilledRunAreRemovedAtStart() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n");
        const QStringList leftovers = {".ListView.txt.tmp-2147483000-0-0",
                                       "Logs/2006年05月/.20060530.txt.tmp-2147483000-1-0",
                                       ".staging/drop-Ab12Cd/photo.jpg"};
        for (const QString& leftover : leftovers) {
            QVERIFY(testing::WriteBytesMakingFolders(home + leftover, "left"));
        }
        QVERIFY(testing::WriteBytes(home + "Logs/2006年05月/20060530.txt", "kept"));
        AppSession session(home);
        for (const QString& leftover : leftovers)
            QVERIFY2(!QFileInfo::exists(home + leftover), qPrintable(leftover));
        QVERIFY(!QFileInfo::exists(home + ".staging/drop-Ab12Cd"));
        QCOMPARE(testing::ReadBytes(home + "Logs/2006年05月/20060530.txt"), QByteArray("kept"));
    }

    // A list file read only in part survives closes until the list changes.
    void aListFileThatCannotBeReadIsKeptUntilTheListChanges() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\nNORI=1\r\n");
        const QByteArray headerless = "\"壁紙\";\"/data/壁紙/\"\r\n";
        QVERIFY(testing::WriteBytes(home + "ListView.txt", headerless));
        {
            AppSession session(home);
            QVERIFY(session.SaveOnClose());
        }
        QCOMPARE(testing::ReadBytes(home + "ListView.txt"), headerless);
        AppSession session(home);
        session.Destinations().Append({"猫", "/data/猫/"});
        QVERIFY(session.SaveOnClose());
        QVERIFY(testing::ReadBytes(home + "ListView.txt").contains("\"猫\";\"/data/猫/\""));
    }

    // The port shows on the settings page; OK takes a new one for the link,
    // Cancel puts the kept one back, and the close writes it.
    void theDevToolsPortGoesFromTheSettingsToTheLinkAndBack() {
        AppSession first(NewHome("[Form]\r\nCBX2=0\r\n"));
        QCOMPARE(first.Browser().Port(), 9222);
        QCOMPARE(first.SettingsDialog().DevToolsPort(), 9222);

        const QString home = NewHome("[Form]\r\nCBX2=0\r\n[Browser]\r\nDevToolsPort=9333\r\n");
        AppSession session(home);
        TForm2& dialog = session.SettingsDialog();
        QCOMPARE(session.Browser().Port(), 9333);
        QCOMPARE(dialog.DevToolsPort(), 9333);
        auto* port = Part<QSpinBox>(dialog, "SpinEdit1");
        QTimer::singleShot(0, &dialog, [&] {
            port->setValue(9444);
            Part<QPushButton>(dialog, "OkButton")->click();
        });
        session.OpenSettings();
        QCOMPARE(session.Browser().Port(), 9444);
        QTimer::singleShot(0, &dialog, [&] {
            port->setValue(1000);
            Part<QPushButton>(dialog, "CancelButton")->click();
        });
        session.OpenSettings();
        QCOMPARE(session.Browser().Port(), 9444);
        QCOMPARE(port->value(), 9444);
        session.MainWindow().show();
        QVERIFY(session.MainWindow().close());
        QVERIFY(testing::ReadBytes(home + "kelvo.ini")
                    .contains("\r\n[Browser]\r\nDevToolsPort=9444\r\n"));
    }

    void readsTheWindowFromTheSettings() {
        AppSession hex(NewHome("[Form]\r\nWidth=0x200\r\nHeight=abc\r\nWindowState=2\r\n"));
        QCOMPARE(hex.MainWindow().geometry().width(), 512);
        QCOMPARE(hex.MainWindow().geometry().height(), 292);
        QVERIFY(hex.MainWindow().windowState() & Qt::WindowMaximized);
    }

    void answeringNoToTheCloseQuestionKeepsEverything() {
        const QString home = NewHome();
        AppSession session(home);
        session.MainWindow().show();
        QVERIFY(QTest::qWaitForWindowExposed(&session.MainWindow()));
        QString asked;
        AnswerNextQuestion(QMessageBox::No, &asked);
        QVERIFY(!session.MainWindow().close());
        QCOMPARE(asked, QStringLiteral("ケルボを終了しますか？"));
        QVERIFY(session.MainWindow().isVisible());
        QVERIFY(!QFile::exists(home + "kelvo.ini"));
        QVERIFY(!QFile::exists(home + "ListView.txt"));
        AnswerNextQuestion(QMessageBox::Yes, &asked);
        QVERIFY(session.MainWindow().close());
        QVERIFY(QFile::exists(home + "kelvo.ini"));
    }

    void aDamagedTreeFileIsShownAndTheStartGoesOn() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n");
        QVERIFY(testing::WriteBytes(home + "TreeView.txt", "初期フォルダ\r\n\t\tdeep\r\n"));
        AppSession session(home);
        session.MainWindow().show();
        QString told;
        AnswerNextQuestion(QMessageBox::Ok, &told);
        session.ReportStartupProblems();
        QCOMPARE(told, home + "TreeView.txt の 2 行目の階層が正しくありません。");
        QCOMPARE(session.MainWindow().StatusText(), QStringLiteral("画像ドロップ待機中"));
        QVERIFY(QDir(home + "Logs").exists());
    }

    void aCloseWithoutANewDayLeavesTheTreeFileAlone() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n");
        const QString tree = home + "TreeViewLogs.txt";
        QVERIFY(testing::WriteBytes(tree, "2006年05月\r\n\t20060530\r\n"));
        const QDateTime written(QDate(2006, 5, 30), QTime(14, 3, 7));
        QFile file(tree);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
        file.close();
        const testing::FileIdentity before = testing::IdentityOf(tree);
        AppSession session(home);
        QVERIFY(session.MainWindow().close());
        QVERIFY(testing::IdentityOf(tree) == before);
        QCOMPARE(QFileInfo(tree).lastModified(), written);
    }

    void aSettingsFileThatCannotBeWrittenStopsTheClose() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n");
        AppSession session(home);
        QFile::remove(home + "kelvo.ini");
        QDir().mkpath(home + "kelvo.ini"); // a folder where the file should go
        QString told;
        AnswerNextQuestion(QMessageBox::Ok, &told);
        QVERIFY(!session.FormClose());
        QCOMPARE(told, home + "kelvo.ini に書き込めません");
        QVERIFY(!QFile::exists(home + "ListView.txt"));
    }

    // What was not read whole is never written back: said once, then left.
    void aSettingsFileThatCannotBeReadIsNeverWrittenOver() {
        const QString home = NewHome();
        QVERIFY(testing::MakeUnreadableFile(home + "kelvo.ini", "[Form]\r\nCBX2=0\r\n"));
        AppSession session(home);
        QString told;
        AnswerNextQuestion(QMessageBox::Ok, &told);
        session.ReportStartupProblems();
        QCOMPARE(told, SettingsFileKeptText(home + "kelvo.ini"));
        QVERIFY(session.FormClose());
        QVERIFY(!ReadFileBytes(testing::Native(home + "kelvo.ini"))); // as it was
        QVERIFY(QFile::exists(home + "ListView.txt"));
    }

    // A logout asks nothing: the open dialog is cancelled and what the close
    // writes is written, the windows' places included.
    void aSessionEndWritesWithoutAskingAndCancelsTheOpenDialog() {
        const QString home = NewHome("[Form]\r\nCBX2=1\r\n");
        AppSession session(home);
        TForm1& form = session.MainWindow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(333, 301);
        QTimer::singleShot(0, [&] {
            QVERIFY(QApplication::activeModalWidget() == &session.SettingsDialog());
            session.EndWithoutAsking();
        });
        session.OpenSettings();
        QTRY_COMPARE(session.EndedWith(), std::optional<int>(0));
        QVERIFY(!session.SettingsDialog().isVisible());
        const QByteArray ini = testing::ReadBytes(home + "kelvo.ini");
        for (const char* line : {"Width=333", "Height=301", "CBX2=1", "NORI=1"})
            QVERIFY2(ini.contains(line), line);
        QVERIFY(QFile::exists(home + "ListView.txt"));
    }

    void aSessionEndThatCannotWriteEndsWithOne() {
        const QString home = NewHome("[Form]\r\nCBX2=0\r\n");
        AppSession session(home);
        QFile::remove(home + "kelvo.ini");
        QDir().mkpath(home + "kelvo.ini"); // a folder where the file should go
        session.EndWithoutAsking();
        QTRY_COMPARE(session.EndedWith(), std::optional<int>(1));
    }

    // Pictures go where people look, in a folder made only when one is saved;
    // a home of its own keeps its destination.
    void aNewHomeCapturesIntoThePicturesFolder() {
        const QString pictures = homes.Path() + "/Pictures/Kelvo/";
        const QString home = NewHome();
        {
            AppSession first(home, pictures);
            QCOMPARE(first.Current().CurrentFolder(), pictures);
            QVERIFY(first.FormClose());
        }
        QVERIFY(!QFileInfo::exists(pictures));
        AppSession again(home, pictures); // kelvo.ini now names the folder
        const QString source = homes.Path() + "/shot.png";
        QVERIFY(testing::WriteBytes(source, "png bytes"));
        QCOMPARE(again.Pipeline().CaptureFile({source, {}}).savedPath, pictures + "shot.png");

        const QString own = NewHome("[Form]\r\nCBX2=0\r\n");
        QCOMPARE(AppSession(own, pictures).Current().CurrentFolder(), own);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::AppSessionTest)
#include "AppSessionTest.moc"
