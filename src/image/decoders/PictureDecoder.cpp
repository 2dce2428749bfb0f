#include "decoders/PictureDecoder.h"

#include "decoders/AvifReader.h"

#include <QCoreApplication>
#include <QImageReader>

namespace kelvo {

namespace {

QByteArray FormatOf(PictureKind kind, const QString& path) {
    switch (kind) {
    case PictureKind::Jpeg:
        return "jpeg";
    case PictureKind::BitmapOrIcon:
        return path.endsWith(u".ico", Qt::CaseInsensitive) ? "ico" : "bmp";
    case PictureKind::Png:
        return "png";
    case PictureKind::Gif:
        return "gif";
    case PictureKind::Webp:
        return "webp";
    case PictureKind::Avif: // libavif's, not a Qt plugin's
    case PictureKind::None:
        break;
    }
    return {};
}

bool Exceeds(QSize size, QSize bounds) {
    return size.width() > bounds.width() || size.height() > bounds.height();
}

QSize Reduced(QSize size, QSize bounds, Reduction reduction) {
    const QSize reduced = reduction == Reduction::KeepShape
                              ? size.scaled(bounds, Qt::KeepAspectRatio)
                              : size.boundedTo(bounds);
    // A 4000 x 1 strip must not vanish to zero height.
    return reduced.expandedTo(QSize(1, 1));
}

// Qt's readers (PNG's at least) reduce colours without weighing them by their
// opacity, so what
// transparent pixels hide would bleed into the visible ones: such pictures are
// reduced after decoding. A palette may hold transparent colours.
bool MayBeTransparent(QImage::Format format) {
    return format == QImage::Format_Invalid || format == QImage::Format_Indexed8 ||
           QImage::toPixelFormat(format).alphaUsage() == QPixelFormat::UsesAlpha;
}

// Through Qt's reader, which reduces while decoding where the format allows.
DecodedPicture ReadWithQt(const QString& path, PictureKind kind, QSize bounds,
                          Reduction reduction) {
    QImageReader reader(path, FormatOf(kind, path));
    // The decoder is the one the kind names, whatever the content looks like.
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(false);
    const QSize stored = reader.size();
    // Let the decoder scale while reading, so a huge JPEG never sits in memory whole.
    if (!bounds.isEmpty() && stored.isValid() && Exceeds(stored, bounds) &&
        !MayBeTransparent(reader.imageFormat()))
        reader.setScaledSize(Reduced(stored, bounds, reduction));
    DecodedPicture decoded{reader.read(), {}, stored};
    if (decoded.image.isNull())
        decoded.error = reader.errorString();
    return decoded;
}

DecodedPicture ReadAvif(const QString& path) {
    // AV1 has no reduced decoding: full size, reduced below.
    AvifPicture read = ReadAvifFile(path);
    return {std::move(read.image), std::move(read.error), {}};
}

} // namespace

DecodedPicture DecodePicture(const QString& path, PictureKind kind, QSize bounds,
                             Reduction reduction) {
    if (kind == PictureKind::None)
        return {{},
                QCoreApplication::translate("PictureDecoder", "対応していない種類のファイルです"),
                {}};
    DecodedPicture decoded =
        kind == PictureKind::Avif ? ReadAvif(path) : ReadWithQt(path, kind, bounds, reduction);
    if (decoded.image.isNull())
        return decoded;
    // A reader that cannot tell its size beforehand decodes at full size.
    if (!decoded.fullSize.isValid())
        decoded.fullSize = decoded.image.size();
    if (!bounds.isEmpty() && Exceeds(decoded.image.size(), bounds))
        decoded.image = decoded.image.scaled(Reduced(decoded.image.size(), bounds, reduction),
                                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return decoded;
}

} // namespace kelvo
