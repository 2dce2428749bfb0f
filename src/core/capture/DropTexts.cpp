#include "capture/DropTexts.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

namespace kelvo {
namespace {

constexpr auto kPromisedAddress = "application/x-moz-file-promise-url";

// UTF-8 never holds a zero byte; UTF-16LE text of any Latin letter does.
bool LooksLikeUtf16(const QByteArray& bytes) {
    for (qsizetype i = 1; i < bytes.size(); i += 2) {
        if (bytes[i] == '\0')
            return true;
    }
    return false;
}

QString ImageSourceInPage(const QString& html) {
    static const QRegularExpression image(
        QStringLiteral(R"(<img\b[^>]*?\ssrc\s*=\s*(["'])(.*?)\1)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = image.match(html);
    return match.hasMatch()
               ? match.captured(2).replace(QStringLiteral("&amp;"), QStringLiteral("&"))
               : QString();
}

} // namespace

QByteArray DropData(const QMimeData& mime, const char* type) {
    const QString name = QString::fromLatin1(type);
    return mime.hasFormat(name) ? mime.data(name) : QByteArray();
}

// Firefox hands some texts over as UTF-16, others as UTF-8, at times with a
// terminating zero.
QString BrowserText(const QByteArray& bytes) {
    QString text;
    if (LooksLikeUtf16(bytes))
        text = QStringDecoder(QStringDecoder::Utf16LE).decode(bytes);
    else
        text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    return text.trimmed();
}

bool IsWebAddress(const QUrl& url) {
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https");
}

bool IsOpenableAddress(const QString& address) {
    return IsWebAddress(QUrl::fromUserInput(address));
}

QStringList DropImageAddresses(const QMimeData& mime) {
    QStringList addresses;
    const QString promised = BrowserText(DropData(mime, kPromisedAddress));
    if (!promised.isEmpty())
        addresses << promised;
    for (const QUrl& url : mime.urls()) {
        if (url.isValid() && !url.isLocalFile())
            addresses << url.toString(QUrl::FullyEncoded);
    }
    const QString inPage = ImageSourceInPage(BrowserText(DropData(mime, "text/html")));
    if (!inPage.isEmpty())
        addresses << inPage;
    return addresses;
}

} // namespace kelvo
