#include "links/InstanceLink.h"
#include "files/PrivateFolder.h"
#include "text/PathText.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

namespace kelvo {

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
    if (!IsOwnUser(int(socket->socketDescriptor()))) {
        socket->abort();
        return;
    }
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
        received->append(socket->readAll());
        const std::optional<HandedCapture> capture = handover::CompleteRequest(*received);
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
    connect(heartbeat, &QTimer::timeout, socket, [socket] { socket->write(handover::kWaitLine); });
    heartbeat->start(kHandOverHeartbeat);
    const auto report = [guarded](const HandedOutcome& outcome) {
        if (guarded)
            guarded->write(handover::OutcomeLine(outcome));
    };
    const auto done = [guarded, heartbeat = QPointer<QTimer>(heartbeat)] {
        if (heartbeat)
            heartbeat->stop();
        if (!guarded)
            return;
        guarded->write(handover::kEndLine);
        guarded->flush();
        guarded->disconnectFromServer();
    };
    onCapture_(capture, report, done);
}

} // namespace kelvo
