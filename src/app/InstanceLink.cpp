#include "app/InstanceLink.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QPointer>

#include <unistd.h>

namespace kelvo {
namespace {

// Lines of tab-separated fields; each field percent-encoded, so paths with
// tabs or line breaks travel safely.
constexpr char kCapture[] = "CAPTURE";
constexpr char kEnd[] = "END";
constexpr int kConnectTimeout = 1000;

QByteArray Field(const QString& text) {
    return text.toUtf8().toPercentEncoding("/");
}

QString Unfield(const QByteArray& field) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field));
}

QByteArray KindWord(HandedOutcome::Kind kind) {
    switch (kind) {
    case HandedOutcome::Kind::Saved:
        return "SAVED";
    case HandedOutcome::Kind::Skipped:
        return "SKIPPED";
    case HandedOutcome::Kind::Failed:
        break;
    }
    return "FAILED";
}

std::optional<HandedOutcome> ParseOutcome(const QByteArray& line) {
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 3)
        return std::nullopt;
    HandedOutcome outcome;
    if (fields[0] == "SAVED")
        outcome.kind = HandedOutcome::Kind::Saved;
    else if (fields[0] == "SKIPPED")
        outcome.kind = HandedOutcome::Kind::Skipped;
    outcome.path = Unfield(fields[1]);
    outcome.text = Unfield(fields[2]);
    return outcome;
}

// The files of a complete request, or nothing while it is still arriving.
std::optional<QStringList> CompleteRequest(const QByteArray& received) {
    if (!received.endsWith("\n\n"))
        return std::nullopt;
    QList<QByteArray> lines = received.split('\n');
    if (lines.isEmpty() || lines.takeFirst() != kCapture)
        return QStringList();
    QStringList files;
    for (const QByteArray& line : lines) {
        if (!line.isEmpty())
            files << Unfield(line);
    }
    return files;
}

} // namespace

QString InstanceServerName(const QString& homeFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(homeFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("kelvo-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

InstanceServer::InstanceServer(const QString& homeFolder, CaptureRequest onCapture, QObject* parent)
    : QObject(parent), name_(InstanceServerName(homeFolder)), onCapture_(std::move(onCapture)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection())
            Serve(socket);
    });
}

bool InstanceServer::Listen() {
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}

void InstanceServer::Serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
        received->append(socket->readAll());
        const std::optional<QStringList> files = CompleteRequest(*received);
        if (!files)
            return;
        // The window may be answering a dialog long after; the client may be gone.
        QPointer<QLocalSocket> guarded(socket);
        const auto report = [guarded](const HandedOutcome& outcome) {
            if (guarded)
                guarded->write(KindWord(outcome.kind) + '\t' + Field(outcome.path) + '\t' +
                               Field(outcome.text) + '\n');
        };
        const auto done = [guarded] {
            if (!guarded)
                return;
            guarded->write(QByteArray(kEnd) + '\n');
            guarded->flush();
            guarded->disconnectFromServer();
        };
        onCapture_(*files, report, done);
    });
}

std::optional<int> HandOverCapture(const QString& homeFolder, const QStringList& files,
                                   QTextStream& out) {
    QLocalSocket socket;
    socket.connectToServer(InstanceServerName(homeFolder));
    if (!socket.waitForConnected(kConnectTimeout))
        return std::nullopt;
    QByteArray request = QByteArray(kCapture) + '\n';
    for (const QString& file : files)
        request += Field(file) + '\n';
    socket.write(request + '\n');
    socket.waitForBytesWritten(kConnectTimeout);

    bool allSaved = true;
    QByteArray pending;
    // A clash dialog may keep the window busy for as long as the user likes.
    while (socket.state() == QLocalSocket::ConnectedState || socket.bytesAvailable() > 0) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(-1))
            break;
        pending += socket.readAll();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (line == kEnd)
                return allSaved ? 0 : 1;
            if (const auto outcome = ParseOutcome(line)) {
                out << outcome->path << '\t' << outcome->text << Qt::endl;
                allSaved = allSaved && outcome->kind != HandedOutcome::Kind::Failed;
            }
        }
    }
    return 1; // the window went away before it answered
}

} // namespace kelvo
