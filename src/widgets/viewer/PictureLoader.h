#pragma once

#include "viewer/FileFacts.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace kelvo {

struct LoadedPicture {
    PictureKind kind = PictureKind::None; // None: unknown extension, nothing loaded
    QImage image;                         // null when the file could not be decoded
    QString error;                        // why it could not, briefly
    QSize fullSize; // the picture's own size, of which image may be a reduction
};

// Decodes the file by its extension. A picture larger than maxSize is decoded
// scaled down to fit it (JPEG decoders do this without the full-size pixels),
// so memory stays bounded by the screen, not by the file. An empty maxSize
// decodes at full size.
LoadedPicture LoadPicture(const QString& path, QSize maxSize = {});
// The same with the decoder chosen by kind instead of the file's own extension
// (the clash dialog decodes both files as the existing one's kind).
LoadedPicture LoadPictureAs(const QString& path, PictureKind kind, QSize maxSize = {});

// The target's new drawing: a blank W x H surface with the source drawn fitted.
// The place is fitted from fullSize when given (the picture's own size, of
// which source is a reduction), so it is the same whatever size was decoded.
QImage RenderFitted(const QImage& source, QSize target, QSize fullSize = {});

} // namespace kelvo
