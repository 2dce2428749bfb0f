#include "viewer/PictureLoader.h"

#include "decoders/AvifReader.h"
#include "viewer/PreviewFit.h"

#include <QImageReader>
#include <QPainter>

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

bool Exceeds(QSize size, QSize maxSize) {
    return size.width() > maxSize.width() || size.height() > maxSize.height();
}

QSize FittedInside(QSize size, QSize maxSize) {
    const QSize scaled = size.scaled(maxSize, Qt::KeepAspectRatio);
    // A 4000 x 1 strip must not vanish to zero height.
    return scaled.expandedTo(QSize(1, 1));
}

QString CannotLoadText(const QString& why) {
    return QStringLiteral("画像を読み込めません（%1）").arg(why);
}

// Through Qt's reader, which scales while decoding where the format allows.
QImage ReadWithQt(const QString& path, PictureKind kind, QSize maxSize, QSize* fullSize,
                  QString* error) {
    QImageReader reader(path, FormatOf(kind, path));
    // The decoder is the one the kind names, whatever the content looks like.
    reader.setAutoDetectImageFormat(false);
    // Pixels as stored: the previews show the file, not a corrected view of it.
    reader.setAutoTransform(false);
    const QSize stored = reader.size();
    *fullSize = stored;
    // Let the decoder scale while reading, so a huge JPEG never sits in memory whole.
    if (!maxSize.isEmpty() && stored.isValid() && Exceeds(stored, maxSize))
        reader.setScaledSize(FittedInside(stored, maxSize));
    QImage image = reader.read();
    if (image.isNull())
        *error = reader.errorString();
    return image;
}

QImage ReadAvifAtFullSize(const QString& path, QString* error) {
    AvifPicture read = ReadAvifFile(path);
    if (read.image.isNull())
        *error = read.error;
    return std::move(read.image);
}

} // namespace

LoadedPicture LoadPicture(const QString& path, QSize maxSize) {
    return LoadPictureAs(path, PictureKindOf(path), maxSize);
}

LoadedPicture LoadPictureAs(const QString& path, PictureKind kind, QSize maxSize) {
    LoadedPicture loaded;
    loaded.kind = kind;
    if (kind == PictureKind::None)
        return loaded;

    QString why;
    QSize stored;
    QImage image = kind == PictureKind::Avif ? ReadAvifAtFullSize(path, &why)
                                             : ReadWithQt(path, kind, maxSize, &stored, &why);
    if (image.isNull()) {
        loaded.error = CannotLoadText(why);
        return loaded;
    }
    // A reader that cannot tell its size beforehand decodes at full size.
    loaded.fullSize = stored.isValid() ? stored : image.size();
    // Decoders that cannot tell their size beforehand are scaled afterwards.
    if (!maxSize.isEmpty() && Exceeds(image.size(), maxSize))
        image = image.scaled(FittedInside(image.size(), maxSize), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    loaded.image = std::move(image);
    return loaded;
}

QImage RenderFitted(const QImage& source, QSize target, QSize fullSize) {
    if (target.width() <= 0 || target.height() <= 0)
        return {};
    QImage surface(target, QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::transparent);
    const QSize fitFrom = fullSize.isValid() && !source.isNull() ? fullSize : source.size();
    const FittedRect fitted =
        FitPreview(fitFrom.width(), fitFrom.height(), target.width(), target.height());
    if (source.isNull() || fitted.width <= 0 || fitted.height <= 0)
        return surface;
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(fitted.x, fitted.y, fitted.width, fitted.height), source);
    return surface;
}

} // namespace kelvo
