#pragma once

#include "capture/DropPayload.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QUrl>

#include <functional>
#include <optional>

class QMimeData;

namespace kelvo {

class DropIntake;

// What a paste (Ctrl+V, 貼り付け) captures from the clipboard, by preference:
//  1. files copied in a file manager, as a drop of them;
//  2. an image copied in a browser: its original bytes when its address gives
//     back a picture of the same size, else its pixels, as PNG, named from the
//     address;
//  3. an image address alone (http, https), fetched.
// Browsers put no original bytes on the clipboard, only pixels (Chromium and
// Firefox: image/png; Firefox's image/jpeg is a lossy re-encode), the image's
// address (Chromium: text/x-moz-url, which Qt lists as a URL; both: the src
// of text/html's <img>) and, from Chromium, the page (chromium/x-source-url).
class PasteIntake {
    Q_DECLARE_TR_FUNCTIONS(PasteIntake)

public:
    using Fetch = std::function<std::optional<QByteArray>(const QUrl& address)>;

    PasteIntake(const DropIntake& drops, QString stagingFolder, Fetch fetch);

    // The files to capture, or none with why not.
    struct Pasted {
        DropPayload payload;
        QString problem;
    };
    Pasted Take(const QMimeData& mime) const;

private:
    DropPayload WithOriginalBytes(DropPayload pasted) const;
    Pasted Fetched(const QUrl& address) const;

    const DropIntake& drops_;
    QString stagingFolder_;
    Fetch fetch_;
};

} // namespace kelvo
