#pragma once

#include "capture/BrowserLink.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

namespace kelvo {

// How long a request may wait and how large its reply may be.
struct DevToolsLimits {
    std::chrono::milliseconds time{1500};
    qint64 replyBytes = 4 * 1024 * 1024;
};

// The browser link to a Chromium-family browser started with
// --remote-debugging-port: its DevTools HTTP endpoint on 127.0.0.1, never
// another host. Each request waits at most a short time in a local event loop
// that keeps the windows painting but holds back mouse and keyboard input;
// a reply that is late, refused, too large, not HTTP 200 or not a target list
// counts as no answer.
class DevToolsBrowserLink : public BrowserLink {
public:
    using Opener = std::function<void(const QUrl&)>;

    using Limits = DevToolsLimits;

    // opener: the desktop's default handler (QDesktopServices::openUrl).
    DevToolsBrowserLink(int port, Opener opener, Limits limits = {});

    // A port outside 1..65535 leaves the link without a browser.
    void SetPort(int port) { port_ = port; }
    int Port() const { return port_; }

    // GET /json/list: the address of the first page target.
    QString AskPageAddress() override;
    // PUT /json/new?ADDRESS. When no browser answers, the address goes to
    // OpenAddress instead and the result is false. Only http and https
    // addresses are opened, here and by OpenAddress.
    bool OpenInBrowser(const QString& address) override;
    void OpenAddress(const QString& address) override;

private:
    // The reply's body when the browser answered 200 within the limits.
    std::optional<QByteArray> Request(const QByteArray& verb, const QByteArray& pathAndQuery);

    int port_;
    Opener opener_;
    Limits limits_;
    QNetworkAccessManager manager_;
};

} // namespace kelvo
