#pragma once

#include "capture/CapturePipeline.h"
#include "destinations/DestinationList.h"

#include <QTextStream>

namespace kelvo {

class Clock;
class InstanceLock;

// Captures made in this process, without a window: by kelvo capture, and by
// the browser's host when no window runs.
struct LocalCapture {
    QString home;
    // The pictures folder's Kelvo/ (empty for none): a new home's destination,
    // made at its first capture.
    QString picturesDestination;
    ClashChoice onClash = ClashChoice::DontSave;
    // The destination (識別名) to capture into, made current in kelvo.ini as
    // the window would; empty for the current one.
    QString destination;
    QList<DroppedFile> files;
    // What a picture captured before gets; Ask asks askSameContent, and
    // without one saves nothing.
    SameContentRule onSameContent = SameContentRule::Save;
    std::function<bool(const SameContentFiles&)> askSameContent = {};
};

// The destinations as the window last wrote them (its files are written as
// they change), and the current one's position in the list, -1 for none.
struct StoredDestinations {
    QList<SaveDestination> list;
    int current = -1;
};
StoredDestinations ReadStoredDestinations(const QString& home, const QString& picturesDestination);

// Takes the home's lock, waiting a few seconds for another capture that holds
// it; false with the reason in err when it cannot.
bool LockForCapture(InstanceLock& lock, const QString& home, QTextStream& err);

// Captures the files through the same pipeline as a drop, as one drop, telling
// listener each file's outcome. The caller holds the home's lock. False when
// something besides the files failed: the history tree could not be written,
// or the destination asked for is not in the list (then nothing is captured).
bool CaptureHere(const LocalCapture& capture, const Clock& clock, QTextStream& err,
                 const CapturePipeline::OutcomeListener& listener);

} // namespace kelvo
