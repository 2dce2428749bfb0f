#pragma once

#include "viewer/FileFacts.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace kelvo {

struct DecodedPicture {
    QImage image;   // null when the file could not be decoded
    QString error;  // why not: the decoder's words, or that the picture is too
                    // large or its format's codec missing
    QSize fullSize; // the picture's own size, of which image may be a reduction
};

// How a picture larger than the bounds is reduced.
enum class Reduction {
    KeepShape, // fitted inside the bounds, its sides in proportion
    EachSide,  // each side bounded on its own, for a reader that squares it anyway
};

// Decodes the file with the decoder that kind names, whatever its content looks
// like: the first frame of an animation, pixels as stored (no EXIF rotation).
// A picture larger than bounds is reduced while it is decoded where the format
// allows (JPEG and WebP never hold the full-size pixels), else right after;
// empty bounds decode at full size. Qt's allocation limit
// (QImageReader::allocationLimit) refuses what would not fit, AVIF included,
// which cannot be decoded reduced. Every format goes through QImageReader,
// AVIF through the program's own plugin (UsePictureCodecs); a format whose
// plugin cannot be loaded fails with an error that says so.
// PictureKind::None decodes nothing.
DecodedPicture DecodePicture(const QString& path, PictureKind kind, QSize bounds = {},
                             Reduction reduction = Reduction::KeepShape);

} // namespace kelvo
