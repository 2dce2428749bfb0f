#include "app/InstanceLink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>

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
    static std::optional<int> HandOverWhileServing(const QString& home, const QStringList& files,
                                                   QString& printed) {
        std::optional<int> code;
        std::atomic<bool> finished = false;
        std::thread client([&] {
            QTextStream out(&printed);
            code = HandOverCapture(home, files, out);
            finished = true;
        });
        QDeadlineTimer deadline(10000);
        while (!finished && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        client.join();
        return code;
    }

private slots:
    void reportsEachOutcomeAndTheExitCode() {
        const QString home = temp.path() + "/home/";
        QStringList received;
        InstanceServer server(home, [&](const QStringList& files, InstanceServer::Reply report,
                                        std::function<void()> done) {
            received = files;
            report({HandedOutcome::Kind::Saved, "/pics/a b\tc.jpg", "を保存しました。"});
            report({HandedOutcome::Kind::Skipped, files.value(1), "保存しませんでした。"});
            done();
        });
        QVERIFY(server.Listen());
        QString printed;
        const auto code = HandOverWhileServing(home, {"/in/a b\tc.jpg", "/in/x\ny.png"}, printed);
        QCOMPARE(received, (QStringList{"/in/a b\tc.jpg", "/in/x\ny.png"}));
        QCOMPARE(code, std::optional<int>(0));
        QCOMPARE(printed, QStringLiteral("/pics/a b\tc.jpg\tを保存しました。\n"
                                         "/in/x\ny.png\t保存しませんでした。\n"));
    }

    void aFailedFileGivesExitCodeOne() {
        const QString home = temp.path() + "/other/";
        InstanceServer server(home, [&](const QStringList& files, InstanceServer::Reply report,
                                        std::function<void()> done) {
            report({HandedOutcome::Kind::Failed, files.value(0), "保存できません。"});
            done();
        });
        QVERIFY(server.Listen());
        QString printed;
        QCOMPARE(HandOverWhileServing(home, {"/in/gone.jpg"}, printed), std::optional<int>(1));
    }

    void noWindowMeansNothingIsHandedOver() {
        QString printed;
        QTextStream out(&printed);
        QCOMPARE(HandOverCapture(temp.path() + "/nobody/", {"/in/a.jpg"}, out), std::nullopt);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::InstanceLinkTest)
#include "InstanceLinkTest.moc"
