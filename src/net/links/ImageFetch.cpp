#include "links/ImageFetch.h"

#include "capture/DropTexts.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace kelvo {

std::optional<QByteArray> FetchImage(const QUrl& address) {
    if (!IsWebAddress(address))
        return std::nullopt;
    QNetworkAccessManager network;
    network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkRequest request(address);
    request.setTransferTimeout(kFetchTime);
    QNetworkReply* reply = network.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // More than an image would ever hold: cut off rather than read on.
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received) {
        if (received > kLargestImage)
            reply->abort();
    });
    QTimer::singleShot(kFetchTime, reply, &QNetworkReply::abort);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    const QByteArray bytes = reply->readAll();
    const bool fetched = reply->error() == QNetworkReply::NoError && !bytes.isEmpty();
    reply->deleteLater();
    return fetched ? std::optional<QByteArray>(bytes) : std::nullopt;
}

} // namespace kelvo
