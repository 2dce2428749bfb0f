#pragma once

#include "collection/SimilarPictures.h"

#include <QImage>
#include <QString>

#include <optional>

namespace kelvo {

// The picture's perceptual hash: a copy resized, re-encoded or converted to
// another format hashes within kSimilarDistance of it, and so do copies with up
// to a twentieth cut from every side (a copy cut from one side mostly does
// not); an unrelated picture almost never does. Transparent areas count as white, so a
// picture hashes the same whatever colours its transparent pixels hide. The
// same pixels give the same hash on every run and every machine.
//
// nullopt for a null picture, and for one with too little structure to compare:
// a flat or nearly flat picture (one colour, or one colour under faint noise),
// which would otherwise hash alike with every other such picture.
std::optional<PictureHash> PerceptualHashOf(const QImage& picture);

// The same for the picture in the file, the decoder chosen by its extension as
// the viewer chooses it (the first frame of an animation). Decoded reduced to
// the few pixels the hash reads where the format allows (JPEG, WebP), so that
// hashing a large photo costs a few milliseconds. nullopt too when the file
// cannot be decoded or its extension names no picture.
std::optional<PictureHash> PerceptualHashOfFile(const QString& path);

} // namespace kelvo
