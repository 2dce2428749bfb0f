#include "capture/SourceNote.h"

#include "capture/ChromiumCustomData.h"
#include "capture/DropTexts.h"
#include "text/PathText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace kelvo {
namespace {

constexpr int kNoteVersion = 1;
// As long as the extension ever writes.
constexpr qsizetype kMaxNoteCharacters = 64 * 1024;
constexpr qsizetype kMaxAddressBytes = 8 * 1024;
constexpr auto kRendererOrigin = "chromium/x-renderer-taint";

bool IsUsableAddress(const QString& address) {
    if (address.toUtf8().size() > kMaxAddressBytes || HasControlCharacter(address))
        return false;
    const QUrl url(address, QUrl::StrictMode);
    return IsWebAddress(url) && !url.host().isEmpty();
}

int PortOf(const QUrl& url) {
    return url.port(url.scheme() == u"https" ? 443 : 80);
}

bool SameOrigin(const QUrl& page, const QUrl& origin) {
    return origin.isValid() && page.scheme() == origin.scheme() && page.host() == origin.host() &&
           PortOf(page) == PortOf(origin);
}

bool NamesDropImage(const QString& noteImage, const QStringList& dropImageAddresses) {
    const QUrl image(noteImage);
    return image.isValid() && std::any_of(dropImageAddresses.begin(), dropImageAddresses.end(),
                                          [&](const QString& a) { return QUrl(a) == image; });
}

// Firefox's own type first; Chromium packs it among the page's custom types.
std::optional<QString> NoteText(const QMimeData& mime) {
    if (mime.hasFormat(QString::fromLatin1(kSourceNoteType)))
        return BrowserText(DropData(mime, kSourceNoteType));
    return ChromiumCustomValue(DropData(mime, kChromiumCustomDataType),
                               QString::fromLatin1(kSourceNoteType));
}

} // namespace

std::optional<SourceNote> ParseSourceNote(const QString& json) {
    if (json.size() > kMaxNoteCharacters)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    const QJsonObject object = document.object();
    const QJsonValue version = object.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() != kNoteVersion)
        return std::nullopt;
    const auto text = [&](const char* key) { return object.value(QLatin1String(key)).toString(); };
    SourceNote note{text("page"), text("frame"), text("title"), text("image")};
    if (note.imageAddress.isEmpty())
        return std::nullopt;
    return note;
}

DropNote TrustedNote(const SourceNote& note, const QStringList& dropImageAddresses,
                     const QString& rendererOrigin) {
    if (!NamesDropImage(note.imageAddress, dropImageAddresses))
        return {NoteState::Refused, {}, {}, {}};
    const QUrl origin(rendererOrigin, QUrl::StrictMode);
    const auto vouched = [&](const QString& address) {
        return IsUsableAddress(address) &&
               (rendererOrigin.isEmpty() || SameOrigin(QUrl(address), origin));
    };
    DropNote trusted{NoteState::Taken, {}, {}, note.imageAddress};
    if (vouched(note.pageAddress))
        trusted.pageAddress = note.pageAddress;
    else if (!rendererOrigin.isEmpty() && vouched(note.frameAddress))
        trusted.frameAddress = note.frameAddress;
    else
        trusted.state = NoteState::Refused;
    return trusted;
}

DropNote ReadDropNote(const QMimeData& mime, const QStringList& dropImageAddresses) {
    if (dropImageAddresses.isEmpty())
        return {};
    const std::optional<QString> text = NoteText(mime);
    if (!text)
        return {NoteState::Missing, {}, {}, {}};
    const std::optional<SourceNote> note = ParseSourceNote(*text);
    if (!note)
        return {NoteState::Refused, {}, {}, {}};
    return TrustedNote(*note, dropImageAddresses, BrowserText(DropData(mime, kRendererOrigin)));
}

} // namespace kelvo
