#include "links/DevToolsBrowserLink.h"
#include "capture/CapturePipeline.h"
#include "destinations/CurrentDestination.h"
#include "logs/CaptureLog.h"
#include "logs/HistoryTree.h"
#include "support/CaptureFakes.h"
#include "support/FakeDevToolsEndpoint.h"
#include "support/Files.h"
#include "support/Logs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace kelvo {

using testing::FakeDevToolsEndpoint;
using Mode = FakeDevToolsEndpoint::Mode;

namespace {

// Written without a raw string literal, which moc misreads here.
constexpr auto kTargets =
    "[{\"type\": \"background_page\", \"url\": \"chrome-extension://abc/bg.html\"},"
    " {\"type\": \"page\", \"title\": \"ギャラリー\", \"url\": "
    "\"http://127.0.0.1:8000/gallery.html\"},"
    " {\"type\": \"page\", \"url\": \"http://127.0.0.1:8000/older.html\"}]";

// Counts its paintings: proof that the window is drawn while a request waits.
class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

} // namespace

// The browser link against a fake DevTools endpoint: what it asks, what it
// makes of every kind of reply, and how it waits.
class DevToolsBrowserLinkTest : public QObject {
    Q_OBJECT

private:
    static constexpr DevToolsBrowserLink::Limits kShortLimits{std::chrono::milliseconds(400),
                                                              1 << 20};
    FakeDevToolsEndpoint endpoint;
    QList<QUrl> opened;

    DevToolsBrowserLink NewLink(int port) {
        return DevToolsBrowserLink(
            port, [this](const QUrl& url) { opened << url; }, kShortLimits);
    }

    static quint16 RefusingPort() {
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        const quint16 port = closed.serverPort();
        closed.close();
        return port;
    }

private slots:
    void init() {
        endpoint.mode = Mode::Reply;
        endpoint.delayMs = 0;
        endpoint.requests.clear();
        opened.clear();
    }

    void asksForTheTargetListOnLoopbackAndTakesTheFirstPage() {
        endpoint.response = FakeDevToolsEndpoint::Ok(kTargets);
        DevToolsBrowserLink link = NewLink(endpoint.Port());
        QCOMPARE(link.AskPageAddress(), QStringLiteral("http://127.0.0.1:8000/gallery.html"));
        QCOMPARE(endpoint.requests.size(), 1);
        const QByteArray head = endpoint.requests[0];
        QVERIFY2(head.startsWith("GET /json/list HTTP/1.1\r\n"), head.constData());
        QVERIFY2(head.contains("\r\nHost: 127.0.0.1:" + QByteArray::number(endpoint.Port())),
                 head.constData());
    }

    void everyReplyThatIsNoTargetListGivesTheEmptyAddress() {
        const QByteArray notFound =
            "HTTP/1.1 404 Not Found\r\nContent-Length: " + QByteArray::number(qstrlen(kTargets)) +
            "\r\n\r\n" + kTargets;
        const QByteArray redirect = "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" +
                                    QByteArray::number(endpoint.Port()) +
                                    "/elsewhere\r\nContent-Length: 0\r\n\r\n";
        for (const QByteArray& response :
             {FakeDevToolsEndpoint::Ok("<html>not json</html>"), FakeDevToolsEndpoint::Ok(""),
              FakeDevToolsEndpoint::Ok("[{\"type\":\"page\",\"url\":"), notFound, redirect,
              QByteArray("garbage\r\n\r\n")}) {
            endpoint.response = response;
            DevToolsBrowserLink link = NewLink(endpoint.Port());
            QVERIFY2(link.AskPageAddress().isEmpty(), response.constData());
        }
        for (const QByteArray& head : endpoint.requests) // the redirect was not followed
            QVERIFY2(head.startsWith("GET /json/list "), head.constData());

        endpoint.mode = Mode::CloseAtOnce;
        QVERIFY(NewLink(endpoint.Port()).AskPageAddress().isEmpty());
    }

    void aRefusedConnectionOrNoPortGivesTheEmptyAddress() {
        QVERIFY(NewLink(RefusingPort()).AskPageAddress().isEmpty());
        endpoint.response = FakeDevToolsEndpoint::Ok(kTargets);
        for (int port : {0, -1, 65536}) {
            DevToolsBrowserLink link = NewLink(port);
            QVERIFY(link.AskPageAddress().isEmpty());
        }
        QVERIFY(endpoint.requests.isEmpty());
    }

    // The reader gives up at its limit instead of taking in all there is.
    void aHugeReplyIsCutOffAndGivesTheEmptyAddress() {
        endpoint.mode = Mode::Flood;
        endpoint.flooded = 0;
        DevToolsBrowserLink link = NewLink(endpoint.Port());
        QVERIFY(link.AskPageAddress().isEmpty());
        QTRY_VERIFY(endpoint.flooded > kShortLimits.replyBytes);
        QTest::qWait(300);
        QVERIFY2(endpoint.flooded < endpoint.floodLimit / 4,
                 QByteArray::number(endpoint.flooded).constData());

        // A reply that says it is huge, and is.
        endpoint.mode = Mode::Reply;
        endpoint.response = FakeDevToolsEndpoint::Ok("[" + QByteArray(2 << 20, ' ') +
                                                     "{\"type\":\"page\",\"url\":\"http://a/\"}]");
        QVERIFY(NewLink(endpoint.Port()).AskPageAddress().isEmpty());

        // A compressed reply is never inflated: a small one could inflate to
        // any size. The link asks for none, and takes one as it is.
        endpoint.requests.clear();
        const QByteArray deflated = qCompress(QByteArray(kTargets)).mid(4);
        endpoint.response = "HTTP/1.1 200 OK\r\nContent-Encoding: deflate\r\nContent-Length: " +
                            QByteArray::number(deflated.size()) + "\r\n\r\n" + deflated;
        QVERIFY(NewLink(endpoint.Port()).AskPageAddress().isEmpty());
        QVERIFY(endpoint.requests.value(0).contains("\r\nAccept-Encoding: identity"));
    }

    void aSlowReplyGivesTheEmptyAddressAtTheTimeLimitWhileTheWindowPaints() {
        PaintCounter window;
        window.resize(100, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTimer repaint;
        connect(&repaint, &QTimer::timeout, &window, qOverload<>(&QWidget::update));
        repaint.start(20);
        const int paintsBefore = window.paints;

        endpoint.mode = Mode::Silent;
        DevToolsBrowserLink link = NewLink(endpoint.Port());
        QElapsedTimer waited;
        waited.start();
        QVERIFY(link.AskPageAddress().isEmpty());
        const qint64 elapsed = waited.elapsed();
        QVERIFY2(elapsed >= 350 && elapsed < 3000, QByteArray::number(elapsed).constData());
        QVERIFY2(window.paints >= paintsBefore + 5, QByteArray::number(window.paints).constData());

        // A reply within the limit is waited for.
        endpoint.mode = Mode::Reply;
        endpoint.delayMs = 150;
        endpoint.response = FakeDevToolsEndpoint::Ok(kTargets);
        QCOMPARE(link.AskPageAddress(), QStringLiteral("http://127.0.0.1:8000/gallery.html"));
    }

    void opensAnAddressAsANewTargetOrElseWithTheDesktop() {
        const QString address = QStringLiteral("http://example.com/写真 1.html?q=1&r=a,b#top");
        endpoint.response = FakeDevToolsEndpoint::Ok("{\"type\":\"page\",\"url\":\"x\"}");
        DevToolsBrowserLink link = NewLink(endpoint.Port());
        QVERIFY(link.OpenInBrowser(address));
        QCOMPARE(endpoint.requests.size(), 1);
        const QByteArray requestLine = endpoint.requests[0].split('\r').value(0);
        QVERIFY2(requestLine.startsWith("PUT /json/new?"), requestLine.constData());
        QVERIFY2(requestLine.endsWith(" HTTP/1.1"), requestLine.constData());
        const QByteArray query = requestLine.mid(14, requestLine.size() - 14 - 9);
        QVERIFY2(!query.contains('#') && !query.contains('&') && !query.contains(' '),
                 query.constData());
        QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(query)), address);
        QVERIFY(opened.isEmpty());

        endpoint.response = "HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n";
        QVERIFY(!link.OpenInBrowser(address));
        DevToolsBrowserLink refused = NewLink(RefusingPort());
        QVERIFY(!refused.OpenInBrowser(address));
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[1].path(), QStringLiteral("/写真 1.html"));
        QCOMPARE(opened[1].query(QUrl::FullyDecoded), QStringLiteral("q=1&r=a,b"));
        QCOMPARE(opened[1].fragment(), QStringLiteral("top"));

        QVERIFY(!refused.OpenInBrowser({}));
        refused.OpenAddress({});
        QCOMPARE(opened.size(), 2);

        // Nothing but a web page is handed to the browser or the desktop.
        const int requests = endpoint.requests.size();
        for (const char* other :
             {"file:///etc/passwd", "/etc/passwd", "javascript:alert(1)", "x-scheme-handler:run"}) {
            QVERIFY(!link.OpenInBrowser(other));
            link.OpenAddress(other);
        }
        QCOMPARE(opened.size(), 2);
        QCOMPARE(endpoint.requests.size(), requests);
    }

    // The wait runs the event loop, so a drop can arrive in the middle of a
    // capture: it must wait its turn, not start a capture of its own.
    void aDropDuringTheWaitIsCapturedAfterTheCaptureThatWaits() {
        QTemporaryDir temp;
        const QString home = temp.path() + "/home/";
        const QString target = temp.path() + "/pictures/";
        QDir().mkpath(home);
        QDir().mkpath(target);
        QStringList sources;
        for (const char* name : {"first.jpg", "second.jpg"}) {
            sources << temp.path() + "/" + name;
            QVERIFY(testing::WriteBytes(sources.last(), name));
        }
        endpoint.delayMs = 150;
        endpoint.response = FakeDevToolsEndpoint::Ok(kTargets);
        DevToolsBrowserLink link = NewLink(endpoint.Port());
        testing::ScriptedPrompter prompter;
        testing::FixedClock clock(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)));
        testing::RecordingDisplay display;
        HistoryTree history;
        CurrentDestination destination(home);
        destination.Set("写真", target);
        CapturePipeline pipeline({home, prompter, link, clock, display, history, destination});
        QStringList events;
        pipeline.SetOutcomeListener([&](const DroppedFile& file, const CaptureOutcome& outcome) {
            events << QFileInfo(file.path).fileName() + (outcome.savedPath.isEmpty() ? "?" : "");
        });
        QTimer::singleShot(50, [&] {
            events << "second dropped";
            DropPayload second;
            second.files.append({sources[1], "http://img/second.jpg"});
            pipeline.HandleDroppedFiles(second);
            events << "second returned";
        });
        DropPayload first;
        first.files.append({sources[0], "http://img/first.jpg"});
        pipeline.HandleDroppedFiles(first);

        QCOMPARE(events,
                 (QStringList{"second dropped", "second returned", "first.jpg", "second.jpg"}));
        QCOMPARE(display.events.count("hover off"), 1);
        QCOMPARE(display.events.count("hover on"), 1);
        const auto rows = testing::ReadLogRows(DailyLogPath(home, clock.now));
        QVERIFY(rows.has_value());
        QCOMPARE(testing::NamesAndAddresses(*rows),
                 (QStringList{"first.jpg http://127.0.0.1:8000/gallery.html",
                              "second.jpg http://127.0.0.1:8000/gallery.html"}));
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::DevToolsBrowserLinkTest)
#include "DevToolsBrowserLinkTest.moc"
