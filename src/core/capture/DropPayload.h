#pragma once

#include "capture/SourceNote.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace kelvo {

struct CaptureOutcome;

// One file of a drop, as the capture takes it: a local path (a dropped file,
// or image bytes staged under the image's name), the image address the drop
// carried, if any, and what the browser extension's note told of its page.
struct DroppedFile {
    QString path;
    QString imageAddress;
    // Set when the browser writes the original file itself after the drop:
    // waits until that file is whole and gives its path, or the empty text
    // when it never becomes whole, and then path (re-encoded pixels, or
    // nothing) is taken instead.
    std::function<QString()> awaitWritten = {};
    NoteState note = NoteState::NotFromBrowser;
    // What the note gave, when Taken (see DropNote).
    QString pageAddress = {};
    QString frameAddress = {};
    // The file's bytes when they are held in memory, not on disk (a picture
    // handed over whole): path then only gives its name.
    std::shared_ptr<const std::string> bytes = {};
};

struct DropPayload {
    QList<DroppedFile> files;
    // Keeps staged files until the payload is done with; they are removed
    // when the last copy of the payload goes.
    std::shared_ptr<void> staging;
    // Run when the payload's turn comes, before its first file: a hand-over
    // makes the destination it names current there, as a drop on its row.
    std::function<void()> prepare;
    // For a drop handed over by another process: told each file's outcome,
    // then that the drop is done.
    std::function<void(const DroppedFile&, const CaptureOutcome&)> reportOutcome;
    std::function<void()> done;
};

} // namespace kelvo
