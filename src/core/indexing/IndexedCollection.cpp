#include "indexing/IndexedCollection.h"

#include "collection/CollectionIndex.h"
#include "logs/DayTexts.h"

namespace kelvo {

IndexedCollection::IndexedCollection(CollectionIndex& index, QString homeFolder,
                                     PictureHasher hasher)
    : index_(index), sync_(index, homeFolder, std::move(hasher)), home_(std::move(homeFolder)) {}

IndexedCollection::~IndexedCollection() = default;

std::optional<EarlierCapture> IndexedCollection::SameContent(const std::string& contentHash) {
    return added_.SameContent(contentHash, &index_);
}

void IndexedCollection::Add(const NewCapture& capture) {
    days_[DayText(capture.captureTime)].insert(capture.savedPath,
                                               QByteArray::fromStdString(capture.contentHash));
    added_.Remember(capture);
}

QString IndexedCollection::Flush() {
    QString failure;
    for (const auto& [day, known] : days_) {
        const SyncReport report = sync_.SyncDay(day, known);
        if (failure.isEmpty() && !report.Ok())
            failure = report.error;
    }
    days_.clear();
    added_.Clear();
    return failure;
}

} // namespace kelvo
