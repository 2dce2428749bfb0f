#pragma once

#include "collection/CaptureCollection.h"
#include "collection/CollectionIndex.h"

#include <QHash>

namespace kelvo {

// The captures of this run, known at once: the index takes each in a moment
// later, and the same picture may come again before that.
class RecentCaptures {
public:
    void Remember(const NewCapture& capture);
    void Clear() { captures_.clear(); }

    // The capture a new one of these bytes is told of: one of this run whose
    // file is still there, else the latest in index (if any) whose file is
    // still there as it was hashed.
    std::optional<EarlierCapture> SameContent(const std::string& contentHash,
                                              CollectionIndex* index) const;

private:
    QHash<QByteArray, EarlierCapture> captures_;
};

} // namespace kelvo
