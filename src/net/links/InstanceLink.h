#pragma once

#include "handover/HandOver.h"

#include <QLocalServer>

#include <functional>

namespace kelvo {

// The running window's end: takes files to capture from a second start and
// reports each file's outcome back, then closes the connection.
class InstanceServer : public QObject {
    Q_OBJECT

public:
    // report(outcome) sends one line; done() ends the answer.
    using Reply = std::function<void(const HandedOutcome&)>;
    using CaptureRequest =
        std::function<void(const HandedCapture& capture, Reply report, std::function<void()> done)>;

    InstanceServer(const QString& homeFolder, CaptureRequest onCapture, QObject* parent = nullptr);
    // The caller holds the home's lock, so a socket left behind is stale.
    // False, with the reason in ListenError(), when the socket cannot be made.
    bool Listen();
    QString ListenError() const { return listenError_; }

private:
    void Serve(QLocalSocket* socket);
    void Answer(QLocalSocket* socket, const HandedCapture& capture);

    QLocalServer server_;
    QString path_;
    QString listenError_;
    CaptureRequest onCapture_;
};

} // namespace kelvo
