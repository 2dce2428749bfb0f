#include "links/DevToolsBrowserLink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

#include <sys/prctl.h>
#include <unistd.h>

namespace kelvo {
namespace {

QString ChromiumPath() {
    for (const char* name : {"chromium", "chromium-browser"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

// Serves the test pages on 127.0.0.1; "/go" answers 404 until Release().
class PageServer : public QObject {
public:
    PageServer() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray head = socket->readAll();
                    Answer(socket, head.split(' ').value(1));
                });
            }
        });
    }
    QString Url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(server_.serverPort()).arg(path);
    }
    void Release() { released_ = true; }

private:
    void Answer(QTcpSocket* socket, const QByteArray& path) {
        QByteArray body;
        bool found = false;
        if (path == "/go") {
            found = released_;
        } else {
            QFile file(QStringLiteral(KELVO_E2E_PAGE) + QString::fromUtf8(path));
            found = !path.contains("..") && file.open(QIODevice::ReadOnly);
            body = found ? file.readAll() : QByteArray();
        }
        socket->write((found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                      QByteArray("Content-Type: text/html\r\nCache-Control: no-store\r\n"
                                 "Connection: close\r\nContent-Length: ") +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    bool released_ = false;
};

// What AskPageAddress gives, asked until it is `expected` or the time is up.
QString AddressOnceItIs(DevToolsBrowserLink& link, const QString& expected, int seconds) {
    QDeadlineTimer deadline(seconds * 1000);
    QString address;
    while (!deadline.hasExpired()) {
        address = link.AskPageAddress();
        if (address == expected)
            break;
        QTest::qWait(200);
    }
    return address;
}

QStringList PageTargets(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return {};
    socket.write("GET /json/list HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(2000))
        reply += socket.readAll();
    const QJsonArray targets =
        QJsonDocument::fromJson(reply.mid(reply.indexOf("\r\n\r\n") + 4)).array();
    QStringList pages;
    for (const QJsonValue& target : targets) {
        if (target[QLatin1String("type")].toString() == QLatin1String("page"))
            pages << target[QLatin1String("url")].toString();
    }
    return pages;
}

} // namespace

// The browser link against a real, headless Chromium with its own profile.
class ChromiumLinkTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir profile;
    QProcess chromium;
    PageServer pages;
    quint16 port = 0;
    QList<QUrl> desktopOpened;

    quint16 DebuggingPort() {
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && chromium.state() == QProcess::Running) {
            QFile active(profile.filePath(QStringLiteral("DevToolsActivePort")));
            if (active.open(QIODevice::ReadOnly)) {
                const quint16 found = active.readLine().trimmed().toUShort();
                if (found != 0)
                    return found;
            }
            QTest::qWait(100);
        }
        return 0;
    }

private slots:
    void initTestCase() {
        QStringList args{QStringLiteral("--headless"),
                         QStringLiteral("--remote-debugging-port=0"),
                         QStringLiteral("--user-data-dir=") + profile.path(),
                         QStringLiteral("--no-first-run"),
                         QStringLiteral("--disable-gpu"),
                         QStringLiteral("--disable-background-networking"),
                         QStringLiteral("--disable-component-update"),
                         pages.Url(QStringLiteral("moving.html"))};
        if (geteuid() == 0)
            args.prepend(QStringLiteral("--no-sandbox"));
        // Chromium goes with this test however it ends, even killed before
        // cleanupTestCase could end it.
        chromium.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        chromium.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        chromium.setStandardOutputFile(QProcess::nullDevice());
        chromium.start(ChromiumPath(), args);
        QVERIFY2(chromium.waitForStarted(10000), qPrintable(chromium.errorString()));
        port = DebuggingPort();
        QVERIFY2(port != 0, "Chromium did not open its debugging port");
    }

    void cleanupTestCase() {
        chromium.terminate();
        if (!chromium.waitForFinished(5000)) {
            chromium.kill();
            chromium.waitForFinished(5000);
        }
    }

    void asksForThePageShownAfterANavigation() {
        DevToolsBrowserLink link(port, [this](const QUrl& url) { desktopOpened << url; });
        QCOMPARE(AddressOnceItIs(link, pages.Url(QStringLiteral("moving.html")), 30),
                 pages.Url(QStringLiteral("moving.html")));
        pages.Release();
        QCOMPARE(AddressOnceItIs(link, pages.Url(QStringLiteral("second.html")), 30),
                 pages.Url(QStringLiteral("second.html")));
    }

    void opensAnAddressAsANewTarget() {
        DevToolsBrowserLink link(port, [this](const QUrl& url) { desktopOpened << url; });
        const QString address = pages.Url(QStringLiteral("index.html?opened=1&by=kelvo#top"));
        QVERIFY(link.OpenInBrowser(address));
        QTRY_VERIFY_WITH_TIMEOUT(PageTargets(port).contains(address), 20000);
        QVERIFY(PageTargets(port).contains(pages.Url(QStringLiteral("second.html"))));
        QVERIFY(desktopOpened.isEmpty());
    }
};

} // namespace kelvo

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (kelvo::ChromiumPath().isEmpty()) {
        std::puts("SKIP: Chromium is not installed and could not be installed");
        return 77;
    }
    kelvo::ChromiumLinkTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ChromiumLinkTest.moc"
