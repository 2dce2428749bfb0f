#include "capture/PasteIntake.h"

#include "capture/DropIntake.h"
#include "capture/DropTexts.h"

#include <QImage>
#include <QMimeData>

namespace kelvo {
namespace {

constexpr auto kSourcePage = "chromium/x-source-url";

// The page Chromium says the copy came from: the browser's word, not a page's.
QString SourcePage(const QMimeData& mime) {
    const QUrl page(BrowserText(DropData(mime, kSourcePage)));
    return IsWebAddress(page) ? page.toString(QUrl::FullyEncoded) : QString();
}

// An address copied alone: the text, or the picture of copied markup.
QUrl AddressAlone(const QMimeData& mime) {
    const QUrl typed(mime.text().trimmed(), QUrl::StrictMode);
    if (IsWebAddress(typed))
        return typed;
    for (const QString& address : DropImageAddresses(mime)) {
        const QUrl url(address);
        if (IsWebAddress(url))
            return url;
    }
    return {};
}

// The same picture, by what can be told of it cheaply: a <picture> may give
// the address of another source than the one shown.
bool SamePicture(const QByteArray& original, const QString& pixelsFile) {
    const QImage fetched = QImage::fromData(original);
    return !fetched.isNull() && fetched.size() == QImage(pixelsFile).size();
}

} // namespace

PasteIntake::PasteIntake(const DropIntake& drops, QString stagingFolder, Fetch fetch)
    : drops_(drops), stagingFolder_(std::move(stagingFolder)), fetch_(std::move(fetch)) {}

PasteIntake::Pasted PasteIntake::Take(const QMimeData& mime) const {
    Pasted pasted{drops_.Take(mime), {}};
    if (pasted.payload.files.isEmpty()) {
        const QUrl address = AddressAlone(mime);
        if (address.isEmpty())
            return {{}, tr("クリップボードに貼り付けられる画像がありません。")};
        pasted = Fetched(address);
    } else if (!pasted.payload.staging) {
        return pasted; // files from a file manager
    } else {
        pasted.payload = WithOriginalBytes(std::move(pasted.payload));
    }
    for (DroppedFile& file : pasted.payload.files) {
        file.note = NoteState::NotFromBrowser; // no drag, so no note to miss
        file.pageAddress = SourcePage(mime);
    }
    return pasted;
}

DropPayload PasteIntake::WithOriginalBytes(DropPayload pasted) const {
    const DroppedFile pixels = pasted.files.constFirst();
    const QUrl address(pixels.imageAddress);
    if (!IsWebAddress(address))
        return pasted;
    const std::optional<QByteArray> original = fetch_(address);
    if (!original || !SamePicture(*original, pixels.path))
        return pasted;
    const StagedBytes staged = StageBytes(stagingFolder_, pixels.imageAddress, *original);
    if (staged.path.isEmpty())
        return pasted;
    pasted.files.first().path = staged.path;
    pasted.staging = staged.holder;
    return pasted;
}

PasteIntake::Pasted PasteIntake::Fetched(const QUrl& address) const {
    const QString imageAddress = address.toString(QUrl::FullyEncoded);
    const std::optional<QByteArray> bytes = fetch_(address);
    if (!bytes)
        return {{}, tr("%1 から画像を取得できません。").arg(imageAddress)};
    if (ExtensionForContent(*bytes).isEmpty())
        return {{}, tr("%1 は画像ではありません。").arg(imageAddress)};
    const StagedBytes staged = StageBytes(stagingFolder_, imageAddress, *bytes);
    if (staged.path.isEmpty())
        return {{}, tr("%1 に画像を置けません。").arg(stagingFolder_)};
    Pasted fetched;
    fetched.payload.files.append({staged.path, imageAddress});
    fetched.payload.staging = staged.holder;
    return fetched;
}

} // namespace kelvo
