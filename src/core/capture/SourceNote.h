#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

namespace kelvo {

// The drag type under which the companion browser extension notes where a
// dragged image came from; Firefox offers it as its own type (UTF-16),
// Chromium inside its custom data.
inline constexpr char kSourceNoteType[] = "application/x-kelvo-source";

// What the extension wrote: JSON {version, page, frame, title, image}.
struct SourceNote {
    QString pageAddress;  // the top-level page
    QString frameAddress; // the frame the image lies in
    QString title;        // the top-level page's title
    QString imageAddress; // the picture shown (currentSrc)
};

// How far a drop's note went.
enum class NoteState {
    NotFromBrowser, // no web image: a file manager, or a hand-over
    Missing,        // a web image without a note: no extension
    Refused,        // a note that did not match the drop, or an unusable address
    Taken,          // the note's page address is used
};

struct DropNote {
    NoteState state = NoteState::NotFromBrowser;
    // When Taken: the top-level page where the browser vouches for its
    // origin; else, in a frame of another origin, only the frame it vouches
    // for (frameAddress), which is worth less than a page a browser tells.
    QString pageAddress;
    QString frameAddress;
    // The note's image address when it is one of the drop's own: the picture
    // shown, where the drop also names a link around it or a fallback source.
    QString imageAddress;
};

// The note's JSON; nothing when it is longer than the extension writes, not
// an object of this version, or lacks the image address.
std::optional<SourceNote> ParseSourceNote(const QString& json);

// What of the note may be believed. The note must name one of the drop's own
// image addresses, and an address is given only when it is http or https,
// without control characters, of at most 8 KiB. Where the browser says which
// origin the drag came from (rendererOrigin: Chromium gives the frame's), an
// address is given only on that origin.
DropNote TrustedNote(const SourceNote& note, const QStringList& dropImageAddresses,
                     const QString& rendererOrigin);

// The note of a drop that names dropImageAddresses for its image (none for a
// drop of local files, which is no browser's).
DropNote ReadDropNote(const QMimeData& mime, const QStringList& dropImageAddresses);

} // namespace kelvo
