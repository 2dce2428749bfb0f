#include "indexing/RecentCaptures.h"

#include "collection/FileFingerprint.h"
#include "collection/PictureLookup.h"

namespace kelvo {

void RecentCaptures::Remember(const NewCapture& capture) {
    captures_.insert(QByteArray::fromStdString(capture.contentHash), capture.AsEarlier());
}

std::optional<EarlierCapture> RecentCaptures::SameContent(const std::string& contentHash,
                                                          CollectionIndex* index) const {
    const QByteArray digest = QByteArray::fromStdString(contentHash);
    if (const auto recent = captures_.constFind(digest);
        recent != captures_.constEnd() && RegularFileStamp(recent->savedPath))
        return *recent;
    if (!index)
        return std::nullopt;
    const std::vector<FoundCapture> found = index->WithContent(digest);
    for (auto at = found.rbegin(); at != found.rend(); ++at) {
        if (at->state == FileState::Present)
            return EarlierOf(at->capture);
    }
    return std::nullopt;
}

} // namespace kelvo
