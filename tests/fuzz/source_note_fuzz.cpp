// Reads arbitrary bytes as Chromium's custom drag data, and a value stored
// under the extension's type as its note. The pairs "image" and "origin" play
// what the rest of the drop says: its image addresses and the browser's
// origin. A blob that reads is read the same once written again, and any
// address a note gives keeps every rule of trust.

#include "Checks.h"
#include "capture/ChromiumCustomData.h"
#include "capture/SourceNote.h"
#include "support/BrowserNotes.h"

#include <QUrl>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace kelvo::fuzz {
namespace {

bool IsControl(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

int PortOf(const QUrl& url) {
    return url.port(url.scheme() == u"https" ? 443 : 80);
}

void CheckGiven(const QString& address, const QString& origin) {
    const QUrl url(address);
    Require(url.scheme() == u"http" || url.scheme() == u"https", "gave an address not on the web");
    Require(address.toUtf8().size() <= 8 * 1024, "gave an address over 8 KiB");
    Require(std::none_of(address.begin(), address.end(), IsControl),
            "gave an address with a control character");
    if (origin.isEmpty())
        return;
    const QUrl vouched(origin);
    Require(url.scheme() == vouched.scheme() && url.host() == vouched.host() &&
                PortOf(url) == PortOf(vouched),
            "gave an address on another origin than the browser's");
}

void CheckNote(const QString& json, const QStringList& images, const QString& origin) {
    const std::optional<SourceNote> note = ParseSourceNote(json);
    if (!note)
        return;
    const DropNote trusted = TrustedNote(*note, images, origin);
    if (trusted.state != NoteState::Taken) {
        Require(trusted.pageAddress.isEmpty() && trusted.frameAddress.isEmpty(),
                "an address from a note not taken");
        return;
    }
    Require(
        std::any_of(images.begin(), images.end(),
                    [&](const QString& image) { return QUrl(image) == QUrl(note->imageAddress); }),
        "took a note on another image than the drop's");
    Require(trusted.pageAddress.isEmpty() != trusted.frameAddress.isEmpty(),
            "a taken note gives one address");
    CheckGiven(trusted.pageAddress + trusted.frameAddress, origin);
}

void CheckBlob(QByteArrayView blob) {
    const auto pairs = ReadChromiumCustomData(blob);
    if (!pairs)
        return;
    Require(ReadChromiumCustomData(testing::ChromiumCustomDataBlob(*pairs)) == pairs,
            "a blob written again reads otherwise");
    QStringList images;
    QString origin;
    for (const auto& [type, value] : *pairs) {
        if (type == u"image")
            images << value;
        else if (type == u"origin")
            origin = value;
    }
    for (const auto& [type, value] : *pairs) {
        if (type == QLatin1String(kSourceNoteType))
            CheckNote(value, images, origin);
    }
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::CheckBlob(QByteArrayView(data, qsizetype(size)));
    return 0;
}
