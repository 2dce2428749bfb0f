#pragma once

#include <QString>

class QMimeData;

namespace kelvo {

// A drag source that writes the dropped file itself, under a path the drop
// target names (the X Direct Save protocol). Firefox hands over the original
// image bytes this way; its drop data holds only re-encoded pixels.
class DirectSave {
public:
    virtual ~DirectSave() = default;
    // Whether the drop being taken offers it.
    virtual bool Offered(const QMimeData& mime) const = 0;
    // The file name the source suggests; empty when it suggests none.
    virtual QString SuggestedName(const QMimeData& mime) = 0;
    // Asks the source to write the file at path. True when it took the task
    // on; the file may still be being written when this returns.
    virtual bool Request(const QMimeData& mime, const QString& path) = 0;
};

} // namespace kelvo
