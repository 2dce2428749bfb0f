#include "links/InstanceLink.h"
#include "files/PrivateFolder.h"
#include "session/HomeFiles.h"
#include "text/PathText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

namespace kelvo {
namespace {

// Lines of tab-separated fields; each field percent-encoded, so paths with
// tabs or line breaks travel safely. A request is "CAPTURE", with the
// destination as a second field when one is chosen, then a line per file
// (its path, page and image), then an empty line.
constexpr char kCapture[] = "CAPTURE";
constexpr char kEnd[] = "END";
constexpr char kWait[] = "WAIT\n"; // still working: a dialog may be open
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

// The process at the other end of a connected socket runs as this user.
bool IsOwnUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    const int fd = int(socket.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::getuid();
}

// $XDG_RUNTIME_DIR when it is what the standard promises, else the home's own.
QString RuntimeFolder(const QString& homeFolder) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(LocalPath(runtime)))
        return QDir(runtime).filePath(QStringLiteral("kelvo")) + u'/';
    return RunFolderPath(homeFolder);
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

QByteArray RequestBytes(const HandedCapture& capture) {
    QByteArray request = kCapture;
    if (!capture.destination.isEmpty())
        request += '\t' + Field(capture.destination);
    request += '\n';
    for (const HandedFile& file : capture.files)
        request += Field(file.path) + '\t' + Field(file.pageAddress) + '\t' +
                   Field(file.imageAddress) + '\n';
    return request + '\n';
}

// A complete request, or nothing while it is still arriving; one that is no
// capture gives no files.
std::optional<HandedCapture> CompleteRequest(const QByteArray& received) {
    if (!received.endsWith("\n\n"))
        return std::nullopt;
    QList<QByteArray> lines = received.split('\n');
    const QList<QByteArray> head = lines.takeFirst().split('\t');
    HandedCapture capture;
    if (head.value(0) != kCapture)
        return capture;
    capture.destination = Unfield(head.value(1));
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split('\t');
        capture.files.append(
            {Unfield(fields.value(0)), Unfield(fields.value(1)), Unfield(fields.value(2))});
    }
    return capture;
}

} // namespace

DroppedFile DroppedFileOf(const HandedFile& file) {
    DroppedFile dropped{file.path, file.imageAddress};
    dropped.pageAddress = file.pageAddress;
    return dropped;
}

HandedOutcome HandedOutcomeOf(const DroppedFile& file, const CaptureOutcome& outcome) {
    using Kind = HandedOutcome::Kind;
    const bool saved = outcome.kind == CaptureOutcome::Kind::Saved;
    const Kind kind = !outcome.Complete() ? Kind::Failed : saved ? Kind::Saved : Kind::Skipped;
    return {kind, saved ? outcome.savedPath : file.path, outcome.Summary()};
}

QString InstanceSocketPath(const QString& homeFolder) {
    const QString canonical = QFileInfo(homeFolder).canonicalFilePath();
    const QString home = canonical.isEmpty() ? homeFolder : canonical + u'/';
    const QByteArray hash =
        QCryptographicHash::hash(home.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return RuntimeFolder(home) + QStringLiteral("kelvo-") + QString::fromLatin1(hash);
}

InstanceServer::InstanceServer(const QString& homeFolder, CaptureRequest onCapture, QObject* parent)
    : QObject(parent), path_(InstanceSocketPath(homeFolder)), onCapture_(std::move(onCapture)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection())
            Serve(socket);
    });
}

bool InstanceServer::Listen() {
    const QString folder = QFileInfo(path_).path();
    // No one else may reach the socket, nor put another in its place.
    if (MakePrivateFolder(LocalPath(folder)) != MadeFolder::Private) {
        listenError_ = folder + QStringLiteral(" を自分専用のフォルダにできません。");
        return false;
    }
    QLocalServer::removeServer(path_);
    if (server_.listen(path_))
        return true;
    listenError_ = path_ + QStringLiteral(": ") + server_.errorString();
    return false;
}

void InstanceServer::Serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!IsOwnUser(*socket)) {
        socket->abort();
        return;
    }
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
        received->append(socket->readAll());
        const std::optional<HandedCapture> capture = CompleteRequest(*received);
        if (!capture)
            return;
        socket->disconnect(this);
        // Captured after this signal has returned: a client that goes away
        // during a dialog must never take the socket from under its own signal.
        QMetaObject::invokeMethod(
            this,
            [this, guarded = QPointer<QLocalSocket>(socket), capture = *capture] {
                if (guarded)
                    Answer(guarded, capture);
            },
            Qt::QueuedConnection);
    });
}

// The window may be answering a dialog long after; the client may be gone by
// then, and only the report back is dropped.
void InstanceServer::Answer(QLocalSocket* socket, const HandedCapture& capture) {
    QPointer<QLocalSocket> guarded(socket);
    auto* heartbeat = new QTimer(socket);
    connect(heartbeat, &QTimer::timeout, socket, [socket] { socket->write(kWait); });
    heartbeat->start(kHandOverHeartbeat);
    const auto report = [guarded](const HandedOutcome& outcome) {
        if (guarded)
            guarded->write(KindWord(outcome.kind) + '\t' + Field(outcome.path) + '\t' +
                           Field(outcome.text) + '\n');
    };
    const auto done = [guarded, heartbeat = QPointer<QTimer>(heartbeat)] {
        if (heartbeat)
            heartbeat->stop();
        if (!guarded)
            return;
        guarded->write(QByteArray(kEnd) + '\n');
        guarded->flush();
        guarded->disconnectFromServer();
    };
    onCapture_(capture, report, done);
}

std::optional<int> HandOverCapture(const QString& homeFolder, const HandedCapture& capture,
                                   const OutcomePrinter& print, QTextStream& err,
                                   int silenceLimit) {
    QLocalSocket socket;
    socket.connectToServer(InstanceSocketPath(homeFolder));
    if (!socket.waitForConnected(kConnectTimeout))
        return std::nullopt;
    if (!IsOwnUser(socket)) {
        err << "kelvo capture: " << socket.fullServerName() << " belongs to another user"
            << Qt::endl;
        return 1;
    }
    socket.write(RequestBytes(capture));
    socket.waitForBytesWritten(kConnectTimeout);

    bool allSaved = true;
    QByteArray pending;
    // A clash dialog may keep the window busy for as long as the user likes;
    // meanwhile it says so every kHandOverHeartbeat.
    while (socket.state() == QLocalSocket::ConnectedState || socket.bytesAvailable() > 0) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(silenceLimit)) {
            if (socket.state() == QLocalSocket::ConnectedState)
                err << "kelvo capture: the Kelvo window stopped answering" << Qt::endl;
            break;
        }
        pending += socket.readAll();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (line == kEnd)
                return allSaved ? 0 : 1;
            if (const auto outcome = ParseOutcome(line)) {
                print(*outcome);
                allSaved = allSaved && outcome->kind != HandedOutcome::Kind::Failed;
            }
        }
    }
    return 1; // the window went away, or fell silent, before it answered
}

} // namespace kelvo
