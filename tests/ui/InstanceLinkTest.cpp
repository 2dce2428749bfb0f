#include "links/InstanceLink.h"
#include "handover/HandOverClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

namespace kelvo {

// A second start hands its files to the window over the local socket and
// prints what the window reports back.
class InstanceLinkTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp;

    // Runs the second start's side in its own thread, as it would run in its
    // own process, while this thread serves.
    static std::optional<int> HandOverWhileServing(const QString& home,
                                                   const HandedCapture& capture, QString& printed,
                                                   QString* said = nullptr,
                                                   int silenceLimit = kHandOverSilence) {
        std::optional<int> code;
        std::atomic<bool> finished = false;
        QString errors;
        std::thread client([&] {
            QTextStream err(&errors);
            const auto print = [&printed](const HandedOutcome& outcome) {
                printed += outcome.path + '\t' + outcome.text + '\n';
            };
            code = HandOverCapture(home, capture, print, err, silenceLimit);
            finished = true;
        });
        QDeadlineTimer deadline(10000);
        while (!finished && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        client.join();
        if (said)
            *said = errors;
        return code;
    }

    QString NewHome(const QString& name) {
        const QString home = temp.path() + "/" + name + "/";
        QDir().mkpath(home);
        return home;
    }

private slots:
    void reportsEachOutcomeAndTheExitCode() {
        const QString home = NewHome("home");
        HandedCapture received;
        InstanceServer server(home, [&](const HandedCapture& capture, InstanceServer::Reply report,
                                        std::function<void()> done) {
            received = capture;
            report({HandedOutcome::Kind::Saved, "/pics/a b\tc.jpg", "を保存しました。"});
            report({HandedOutcome::Kind::Skipped, capture.files.value(1).path,
                    "保存しませんでした。"});
            done();
        });
        QVERIFY(server.Listen());
        QString printed;
        const HandedCapture sent{
            "壁紙\t1",
            {{"/in/a b\tc.jpg", "https://example.com/p?q=1", "https://i/a"}, {"/in/x\ny.png"}}};
        const auto code = HandOverWhileServing(home, sent, printed);
        QCOMPARE(received.destination, sent.destination);
        QCOMPARE(received.files, sent.files);
        QCOMPARE(code, std::optional<int>(0));
        QCOMPARE(printed, QStringLiteral("/pics/a b\tc.jpg\tを保存しました。\n"
                                         "/in/x\ny.png\t保存しませんでした。\n"));
    }

    void aFailedFileGivesExitCodeOne() {
        const QString home = NewHome("other");
        InstanceServer server(home, [&](const HandedCapture& capture, InstanceServer::Reply report,
                                        std::function<void()> done) {
            report({HandedOutcome::Kind::Failed, capture.files.value(0).path, "保存できません。"});
            done();
        });
        QVERIFY(server.Listen());
        QString printed;
        QCOMPARE(HandOverWhileServing(home, {{}, {{"/in/gone.jpg"}}}, printed),
                 std::optional<int>(1));
    }

    void noWindowMeansNothingIsHandedOver() {
        QString printed;
        QTextStream out(&printed);
        QCOMPARE(HandOverCapture(temp.path() + "/nobody/", {{}, {{"/in/a.jpg"}}}, {}, out),
                 std::nullopt);
    }

    // Not in the shared temporary folder under a name anyone can take first:
    // in a folder only the user may enter, named after the home's real path.
    void theSocketLiesInAPrivateFolderNamedAfterTheRealHome() {
        const QString home = NewHome("real");
        QVERIFY(QFile::link(home, temp.path() + "/linked"));
        const QString path = InstanceSocketPath(home);
        QCOMPARE(InstanceSocketPath(temp.path() + "/linked/"), path);
        QVERIFY2(!path.startsWith(QDir::tempPath() + "/kelvo"), qPrintable(path));
        InstanceServer server(home, [](const HandedCapture&, InstanceServer::Reply,
                                       std::function<void()> done) { done(); });
        QVERIFY2(server.Listen(), qPrintable(server.ListenError()));
        const QFileInfo folder(QFileInfo(path).path());
        QCOMPARE(folder.permissions() & (QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                         QFile::ExeOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
        QString printed;
        QCOMPARE(HandOverWhileServing(temp.path() + "/linked/", {{}, {{"/in/a.jpg"}}}, printed),
                 std::optional<int>(0));
    }

    // A socket folder others may enter is not used, and the failure is said.
    void aFolderOthersMayEnterIsRefused() {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString home = NewHome("open");
        QVERIFY(QDir().mkdir(home + ".run"));
        QVERIFY(QFile::setPermissions(home + ".run", QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadOther |
                                                         QFile::ExeOther));
        InstanceServer server(home, [](const HandedCapture&, InstanceServer::Reply,
                                       std::function<void()> done) { done(); });
        QVERIFY(!server.Listen());
        QVERIFY2(server.ListenError().contains(".run"), qPrintable(server.ListenError()));
        if (!runtime.isNull())
            qputenv("XDG_RUNTIME_DIR", runtime);
    }

    // A window that falls silent does not keep the second start for good.
    void aSilentWindowEndsTheWait() {
        const QString home = NewHome("silent");
        QDir().mkdir(QFileInfo(InstanceSocketPath(home)).path());
        QLocalServer mute;
        QVERIFY(mute.listen(InstanceSocketPath(home)));
        QString printed, said;
        QCOMPARE(HandOverWhileServing(home, {{}, {{"/in/a.jpg"}}}, printed, &said, 300),
                 std::optional<int>(1));
        QVERIFY2(said.contains("stopped answering"), qPrintable(said));
    }

    // The client gives up while the window shows a dialog: the capture goes
    // on to its end, and only the report back is dropped.
    void aClientThatGoesAwayDuringADialogTakesNothingWithIt() {
        const QString home = NewHome("gone");
        bool finished = false;
        InstanceServer server(home, [&](const HandedCapture&, InstanceServer::Reply report,
                                        std::function<void()> done) {
            QEventLoop dialog; // as a modal dialog runs its own loop
            QTimer::singleShot(400, &dialog, &QEventLoop::quit);
            dialog.exec();
            report({HandedOutcome::Kind::Saved, "/pics/a.jpg", "を保存しました。"});
            done();
            finished = true;
        });
        QVERIFY(server.Listen());
        std::thread client([&] {
            QLocalSocket socket;
            socket.connectToServer(InstanceSocketPath(home));
            if (socket.waitForConnected(1000)) {
                socket.write("CAPTURE\n/in/a.jpg\n\n");
                socket.waitForBytesWritten(1000);
                QThread::msleep(100);
            }
        }); // the socket closes here, in the middle of the "dialog"
        QTRY_VERIFY_WITH_TIMEOUT(finished, 5000);
        client.join();
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::InstanceLinkTest)
#include "InstanceLinkTest.moc"
