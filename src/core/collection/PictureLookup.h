#pragma once

#include "collection/CaptureCollection.h"
#include "collection/CollectionIndex.h"

#include <vector>

namespace kelvo {

// A capture the index holds, as a later capture of the same or a similar
// picture is told of it.
EarlierCapture EarlierOf(const IndexedCapture& capture);

// A capture found by its picture.
struct PictureMatch {
    FoundCapture found;
    int distance = 0;         // bits between the picture hashes; 0 for the same bytes
    bool sameContent = false; // the same bytes
};

// Every capture of the bytes (oldest first), then, given a picture hash,
// every other capture of a similar picture, nearest first; each capture once.
std::vector<PictureMatch> SameAndSimilar(CollectionIndex& index, const QByteArray& sha256,
                                         std::optional<PictureHash> pictureHash);

// The same for a capture the index holds: by its recorded hashes. Empty when
// the path is no capture the index has hashed yet.
std::vector<PictureMatch> SameAndSimilarToCapture(CollectionIndex& index, const QString& path);

// The captures that saved the file at path when its logged folder and name no
// longer say so: reached through symbolic links (by its real path), or moved
// or renamed since (by its bytes, of which the capture's file is gone).
std::vector<FoundCapture> CapturesOfMovedFile(CollectionIndex& index, const QString& path);

} // namespace kelvo
