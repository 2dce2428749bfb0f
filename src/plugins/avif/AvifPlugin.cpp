// Qt's way in to ReadAvif: the "avif" format of QImageReader, in a plugin
// that Qt loads only when a picture asks for it.

#include "avif/AvifReader.h"

#include <QIODevice>
#include <QImageIOHandler>
#include <QImageIOPlugin>
#include <QImageReader>
#include <QLoggingCategory>
#include <QtEndian>

#include <algorithm>
#include <optional>

namespace kelvo {

namespace {

Q_LOGGING_CATEGORY(avifLog, "kelvo.avif", QtWarningMsg)

// An ISO media file whose file type box names an AVIF picture or sequence as
// its major brand or as a compatible one. HEIF photos share the box but not
// the brands.
bool LooksLikeAvif(QIODevice* device) {
    const QByteArray head = device->peek(64);
    if (head.size() < 16 || head.mid(4, 4) != "ftyp")
        return false;
    const qsizetype boxEnd = std::min<qsizetype>(head.size(), qFromBigEndian<quint32>(head.data()));
    const auto isAvifBrand = [&](qsizetype at) {
        const QByteArray brand = head.mid(at, 4);
        return brand == "avif" || brand == "avis";
    };
    if (isAvifBrand(8)) // the major brand; a minor version follows it
        return true;
    for (qsizetype at = 16; at + 4 <= boxEnd; at += 4)
        if (isAvifBrand(at))
            return true;
    return false;
}

// Read whole, not mapped: a file cut short while mapped would kill the
// program. A file larger than the pixels' budget is not read at all; a
// compressed still picture never comes near it. Empty when unread.
QByteArray ReadWhole(QIODevice* device) {
    if (!device || !device->isReadable())
        return {};
    const qint64 megabytes = QImageReader::allocationLimit();
    if (megabytes > 0 && device->size() > megabytes * 1024 * 1024) {
        qCInfo(avifLog) << "not read: the file is larger than the allocation limit";
        return {};
    }
    return device->readAll();
}

class AvifHandler final : public QImageIOHandler {
public:
    bool canRead() const override {
        if (!device() || !LooksLikeAvif(device()))
            return false;
        setFormat("avif");
        return true;
    }

    bool read(QImage* image) override {
        AvifPicture picture = ReadAvif(Bytes());
        if (picture.image.isNull()) {
            qCInfo(avifLog) << "not decoded:" << picture.error;
            return false;
        }
        *image = std::move(picture.image);
        return true;
    }

    // The size alone, so that a caller can weigh the picture before decoding it.
    QVariant option(ImageOption option) const override {
        if (option != Size)
            return {};
        const QSize size = AvifSize(Bytes());
        return size.isValid() ? QVariant(size) : QVariant();
    }

    bool supportsOption(ImageOption option) const override { return option == Size; }

private:
    // libavif parses from memory: the file is read once, for the size and the
    // pixels alike.
    const QByteArray& Bytes() const {
        if (!bytes_)
            bytes_ = ReadWhole(device());
        return *bytes_;
    }

    mutable std::optional<QByteArray> bytes_;
};

} // namespace

class AvifPlugin final : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "avif.json")

public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override {
        if (format == "avif")
            return CanRead;
        if (!format.isEmpty() || !device || !device->isReadable())
            return {};
        return LooksLikeAvif(device) ? CanRead : Capabilities();
    }

    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override {
        auto* handler = new AvifHandler;
        handler->setDevice(device);
        handler->setFormat(format.isEmpty() ? QByteArray("avif") : format);
        return handler;
    }
};

} // namespace kelvo

#include "AvifPlugin.moc"
