#pragma once

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace kelvo::testing {

// An HTTP endpoint on 127.0.0.1 that answers DevTools requests as the test
// says, and keeps the head of every request it got.
class FakeDevToolsEndpoint : public QObject {
public:
    enum class Mode {
        Reply,       // the response, after `delayMs`
        CloseAtOnce, // closes the connection without a word
        Silent,      // never answers
        Flood,       // a 200 head, then body bytes until the reader stops
    };

    FakeDevToolsEndpoint() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                Serve(socket);
        });
    }

    quint16 Port() const { return server_.serverPort(); }

    static QByteArray Ok(const QByteArray& body) {
        return "HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=UTF-8\r\n"
               "Content-Length: " +
               QByteArray::number(body.size()) + "\r\n\r\n" + body;
    }

    Mode mode = Mode::Reply;
    QByteArray response = Ok("[]");
    int delayMs = 0;
    QList<QByteArray> requests;
    qint64 flooded = 0;                    // body bytes written in Flood mode
    qint64 floodLimit = qint64(256) << 20; // stops by itself all the same

private:
    void Serve(QTcpSocket* socket) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            received_[socket] += socket->readAll();
            const qsizetype end = received_[socket].indexOf("\r\n\r\n");
            if (end < 0)
                return;
            requests << received_[socket].left(end);
            received_.remove(socket);
            Answer(socket);
        });
    }

    void Answer(QTcpSocket* socket) {
        switch (mode) {
        case Mode::Reply:
            QTimer::singleShot(delayMs, socket, [this, socket] {
                socket->write(response);
                socket->disconnectFromHost();
            });
            break;
        case Mode::CloseAtOnce:
            socket->disconnectFromHost();
            break;
        case Mode::Silent:
            break;
        case Mode::Flood:
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n\r\n[");
            connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket] {
                if (socket->bytesToWrite() < (1 << 20) && flooded < floodLimit &&
                    socket->state() == QAbstractSocket::ConnectedState) {
                    const QByteArray chunk(64 * 1024, ' ');
                    socket->write(chunk);
                    flooded += chunk.size();
                }
            });
            break;
        }
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> received_;
};

} // namespace kelvo::testing
