#include "viewer/PictureLoader.h"

#include "decoders/PictureDecoder.h"
#include "viewer/PreviewFit.h"

#include <QCoreApplication>
#include <QPainter>

namespace kelvo {

namespace {

QString CannotLoadText(const QString& why) {
    return QCoreApplication::translate("PictureLoader", "画像を読み込めません（%1）").arg(why);
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
    // Pixels as stored: the previews show the file, not a corrected view of it.
    DecodedPicture decoded = DecodePicture(path, kind, maxSize);
    if (decoded.image.isNull()) {
        loaded.error = CannotLoadText(decoded.error);
        return loaded;
    }
    loaded.image = std::move(decoded.image);
    loaded.fullSize = decoded.fullSize;
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
