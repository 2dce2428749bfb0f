#include "indexing/IndexedCollection.h"

#include "collection/CollectionIndex.h"
#include "collection/PictureLookup.h"
#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"
#include "text/PathText.h"

namespace kelvo {
namespace {

QByteArray Digest(const std::string& contentHash) {
    return QByteArray(contentHash.data(), qsizetype(contentHash.size()));
}

} // namespace

std::optional<EarlierCapture> LatestPresent(const std::vector<FoundCapture>& found) {
    for (auto at = found.rbegin(); at != found.rend(); ++at) {
        if (at->state == FileState::Present)
            return EarlierOf(at->capture);
    }
    return std::nullopt;
}

IndexedCollection::IndexedCollection(CollectionIndex& index, QString homeFolder,
                                     PictureHasher hasher)
    : index_(index), sync_(index, homeFolder, std::move(hasher)), home_(std::move(homeFolder)) {}

IndexedCollection::~IndexedCollection() = default;

std::optional<EarlierCapture> IndexedCollection::SameContent(const std::string& contentHash) {
    const QByteArray digest = Digest(contentHash);
    if (const auto added = added_.constFind(digest); added != added_.constEnd())
        return *added;
    return LatestPresent(index_.WithContent(digest));
}

void IndexedCollection::Add(const NewCapture& capture) {
    const QByteArray digest = Digest(capture.contentHash);
    days_[DayText(capture.captureTime)].insert(capture.savedPath, digest);
    added_.insert(digest, capture.AsEarlier());
}

QString IndexedCollection::Flush() {
    QString failure;
    for (const auto& [day, known] : days_) {
        const SyncReport report = sync_.SyncDay(day, known);
        if (failure.isEmpty() && !report.Ok())
            failure = report.error;
    }
    days_.clear();
    added_.clear();
    return failure;
}

} // namespace kelvo
