#include "decoders/PictureDecoder.h"

#include "decoders/PictureCodecs.h"

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
    case PictureKind::Avif:
        return "avif";
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

// Whether Qt's allocation limit refuses a picture of this size, as 32-bit pixels.
bool BeyondAllocationLimit(QSize size) {
    const qint64 megabytes = QImageReader::allocationLimit();
    return megabytes > 0 && size.isValid() &&
           qint64(size.width()) * size.height() * 4 > qint64(megabytes) * 1024 * 1024;
}

// Qt's reasons are generic; the two a user can act on are told apart.
QString WhyUnread(const QImageReader& reader, QSize stored) {
    if (reader.error() == QImageReader::UnsupportedFormatError)
        return QCoreApplication::translate("PictureDecoder",
                                           "%1 の画像を読むための部品が見つかりません")
            .arg(QString::fromLatin1(reader.format()).toUpper());
    const QSize decoded = reader.scaledSize().isValid() ? reader.scaledSize() : stored;
    if (BeyondAllocationLimit(decoded))
        return QCoreApplication::translate("PictureDecoder", "大きすぎる画像です（%1 x %2）")
            .arg(stored.width())
            .arg(stored.height());
    return reader.errorString();
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
        decoded.error = WhyUnread(reader, stored);
    return decoded;
}

} // namespace

DecodedPicture DecodePicture(const QString& path, PictureKind kind, QSize bounds,
                             Reduction reduction) {
    if (kind == PictureKind::None)
        return {{},
                QCoreApplication::translate("PictureDecoder", "対応していない種類のファイルです"),
                {}};
    if (kind == PictureKind::Avif)
        UsePictureCodecs();
    DecodedPicture decoded = ReadWithQt(path, kind, bounds, reduction);
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
