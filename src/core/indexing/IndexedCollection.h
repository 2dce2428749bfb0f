#pragma once

#include "collection/CaptureCollection.h"
#include "collection/CollectionIndex.h"
#include "history/IndexSync.h"
#include "indexing/RecentCaptures.h"

#include <map>

namespace kelvo {

// The collection as the home's index knows it, for captures made on this
// thread. A capture is taken into the index by its day's sync, at Flush:
// once a day, however many files one call captures. Until then it is known
// here, so a second copy of the same bytes in the same call is caught too.
class IndexedCollection : public CaptureCollection {
public:
    IndexedCollection(CollectionIndex& index, QString homeFolder, PictureHasher hasher);
    ~IndexedCollection() override;

    std::optional<EarlierCapture> SameContent(const std::string& contentHash) override;
    void Add(const NewCapture& capture) override;
    // Syncs the days captured into; the first failure's text, or nothing.
    QString Flush();

private:
    CollectionIndex& index_;
    IndexSync sync_;
    QString home_;
    std::map<QString, KnownDigests> days_; // captured into, not yet synced
    RecentCaptures added_;
};

} // namespace kelvo
