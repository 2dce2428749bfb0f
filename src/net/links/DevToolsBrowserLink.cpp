#include "links/DevToolsBrowserLink.h"

#include "capture/DevToolsReply.h"
#include "capture/DropTexts.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>

#include <memory>

namespace kelvo {
namespace {

// Bounds what the reply holds unread, so a flood never piles up in memory.
constexpr qint64 kReadBufferBytes = 64 * 1024;

bool IsPort(int port) {
    return port > 0 && port <= 65535;
}

struct LaterDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

QNetworkRequest LoopbackRequest(int port, const QByteArray& pathAndQuery) {
    QNetworkRequest request(
        QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port) + QString::fromLatin1(pathAndQuery),
             QUrl::StrictMode));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    // A header of our own keeps Qt from inflating a compressed reply, whose
    // size would then escape the limit.
    request.setRawHeader("Accept-Encoding", "identity");
    return request;
}

// The whole body, once the reply has finished within the time and size
// limits; else the reply is aborted.
std::optional<QByteArray> BodyWithin(QNetworkReply& reply, const DevToolsLimits& limits) {
    reply.setReadBufferSize(kReadBufferBytes);
    QByteArray body;
    QEventLoop loop;
    const auto take = [&] {
        body += reply.read(limits.replyBytes + 1 - body.size());
        if (body.size() > limits.replyBytes)
            loop.quit();
    };
    QObject::connect(&reply, &QNetworkReply::readyRead, &loop, take);
    QObject::connect(&reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(limits.time);
    if (!reply.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    QObject::disconnect(&reply, nullptr, &loop, nullptr);

    if (reply.isFinished() && body.size() <= limits.replyBytes)
        take(); // what arrived with the end
    if (!reply.isFinished() || body.size() > limits.replyBytes) {
        reply.abort();
        return std::nullopt;
    }
    return body;
}

} // namespace

DevToolsBrowserLink::DevToolsBrowserLink(int port, Opener opener, Limits limits)
    : port_(port), opener_(std::move(opener)), limits_(limits) {
    // A proxy from the environment must not see, or break, loopback requests.
    manager_.setProxy(QNetworkProxy::NoProxy);
}

QString DevToolsBrowserLink::AskPageAddress() {
    const std::optional<QByteArray> reply = Request("GET", "/json/list");
    return reply ? PageAddressFromTargetList(*reply) : QString();
}

bool DevToolsBrowserLink::OpenInBrowser(const QString& address) {
    if (!IsOpenableAddress(address))
        return false;
    // The browser takes the whole query, percent-decoded, as the address.
    if (Request("PUT", "/json/new?" + address.toUtf8().toPercentEncoding()))
        return true;
    OpenAddress(address);
    return false;
}

void DevToolsBrowserLink::OpenAddress(const QString& address) {
    if (IsOpenableAddress(address) && opener_)
        opener_(QUrl::fromUserInput(address));
}

std::optional<QByteArray> DevToolsBrowserLink::Request(const QByteArray& verb,
                                                       const QByteArray& pathAndQuery) {
    if (!IsPort(port_))
        return std::nullopt;
    std::unique_ptr<QNetworkReply, LaterDeleter> reply(
        manager_.sendCustomRequest(LoopbackRequest(port_, pathAndQuery), verb));
    const std::optional<QByteArray> body = BodyWithin(*reply, limits_);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!body || reply->error() != QNetworkReply::NoError || status != 200)
        return std::nullopt;
    return body;
}

} // namespace kelvo
