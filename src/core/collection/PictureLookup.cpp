#include "collection/PictureLookup.h"

#include <QFileInfo>

#include <set>

namespace kelvo {
namespace {

using CaptureKey = std::pair<QString, int>; // day and row

CaptureKey KeyOf(const IndexedCapture& capture) {
    return {capture.day, capture.row};
}

} // namespace

EarlierCapture EarlierOf(const IndexedCapture& capture) {
    return {capture.path, capture.captureTime, capture.identifier, capture.sourceAddress};
}

std::vector<PictureMatch> SameAndSimilar(CollectionIndex& index, const QByteArray& sha256,
                                         std::optional<PictureHash> pictureHash) {
    std::vector<PictureMatch> matches;
    std::set<CaptureKey> listed;
    for (FoundCapture& found : index.WithContent(sha256)) {
        listed.insert(KeyOf(found.capture));
        matches.push_back({std::move(found), 0, true});
    }
    if (!pictureHash)
        return matches;
    for (SimilarCapture& similar : index.SimilarTo(*pictureHash)) {
        const int distance = similar.distance;
        if (listed.insert(KeyOf(similar.capture)).second)
            matches.push_back({std::move(similar), distance, false});
    }
    return matches;
}

std::vector<PictureMatch> SameAndSimilarToCapture(CollectionIndex& index, const QString& path) {
    const std::vector<FoundCapture> captures = index.AtPath(path);
    if (captures.empty() || !captures.back().capture.Hashed())
        return {};
    const IndexedCapture& latest = captures.back().capture;
    return SameAndSimilar(index, latest.sha256, latest.pictureHash);
}

std::vector<FoundCapture> CapturesOfMovedFile(CollectionIndex& index, const QString& path) {
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty())
        return {};
    std::vector<FoundCapture> found = index.AtRealPath(real);
    if (!found.empty())
        return found;
    const std::optional<QByteArray> digest = FileSha256(real);
    if (!digest)
        return {};
    // The file is here now: a capture of its bytes whose own file is gone is
    // this one, moved or renamed. A copy still in place is another file.
    std::vector<FoundCapture> moved;
    for (FoundCapture& capture : index.WithContent(*digest)) {
        if (capture.state != FileState::Present)
            moved.push_back(std::move(capture));
    }
    return moved;
}

} // namespace kelvo
