#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace kelvo {

struct CaptureOutcome;

// One file of a drop, as the capture takes it: a local path (a dropped file,
// or image bytes staged under the image's name) and the image address the drop
// carried, if any.
struct DroppedFile {
    QString path;
    QString sourceAddress;
    // Set when the browser writes the original file itself after the drop:
    // waits until that file is whole and gives its path, or the empty text
    // when it never becomes whole, and then path (re-encoded pixels, or
    // nothing) is taken instead.
    std::function<QString()> awaitWritten = {};
};

struct DropPayload {
    QList<DroppedFile> files;
    // Keeps staged files until the payload is done with; they are removed
    // when the last copy of the payload goes.
    std::shared_ptr<void> staging;
    // For a drop handed over by another process: told each file's outcome,
    // then that the drop is done.
    std::function<void(const DroppedFile&, const CaptureOutcome&)> reportOutcome;
    std::function<void()> done;
};

} // namespace kelvo
