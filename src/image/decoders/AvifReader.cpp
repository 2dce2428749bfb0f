#include "decoders/AvifReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>

#include <avif/avif.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace kelvo {

namespace {

struct DecoderDeleter {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};
using Decoder = std::unique_ptr<avifDecoder, DecoderDeleter>;

constexpr qint64 kBytesPerPixel = 4;
// Spelled out, so that a libavif whose default is looser does not loosen ours.
constexpr uint32_t kMaxSide = 32768;

// As many pixels as Qt's decoders may allocate for an RGBA picture; libavif's
// own ceiling where Qt sets none.
uint32_t MaxPixels() {
    const qint64 library = AVIF_DEFAULT_IMAGE_SIZE_LIMIT;
    const qint64 megabytes = QImageReader::allocationLimit();
    if (megabytes <= 0)
        return uint32_t(library);
    // 0 means "no limit" to libavif, so at least one pixel.
    return uint32_t(std::clamp(megabytes * 1024 * 1024 / kBytesPerPixel, qint64(1), library));
}

AvifPicture Failed(const QString& why) {
    return {QImage(), why};
}

QString ResultText(avifResult result) {
    return QString::fromUtf8(avifResultToString(result));
}

QString TooLargeText(uint32_t width, uint32_t height) {
    return QCoreApplication::translate("AvifReader", "大きすぎる画像です（%1 x %2）")
        .arg(width)
        .arg(height);
}

bool WithinLimits(uint32_t width, uint32_t height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           quint64(width) * height <= MaxPixels();
}

} // namespace

AvifPicture ReadAvif(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return Failed(QCoreApplication::translate("AvifReader", "空のファイルです"));
    Decoder decoder(avifDecoderCreate());
    if (!decoder)
        return Failed(ResultText(AVIF_RESULT_OUT_OF_MEMORY));
    // libavif's own ceilings guard the parse, which decodes no pixels; the
    // budget is checked here after it, so that a refusal can say the size.
    decoder->imageSizeLimit = AVIF_DEFAULT_IMAGE_SIZE_LIMIT;
    decoder->imageDimensionLimit = kMaxSide;
    // Files that browsers show are shown here too, some of which strict
    // checking refuses (a missing pixi box); memory safety does not rest on it.
    decoder->strictFlags = AVIF_STRICT_DISABLED;
    // Only the pixels are shown, as stored.
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;

    avifResult result = avifDecoderSetIOMemory(
        decoder.get(), reinterpret_cast<const uint8_t*>(bytes.data()), size_t(bytes.size()));
    if (result == AVIF_RESULT_OK)
        result = avifDecoderParse(decoder.get());
    if (result != AVIF_RESULT_OK)
        return Failed(ResultText(result));
    // The container's size, known before any frame is decoded.
    if (!WithinLimits(decoder->image->width, decoder->image->height))
        return Failed(TooLargeText(decoder->image->width, decoder->image->height));

    // The frame decoder refuses a frame beyond the budget before allocating
    // it, should the frame disagree with the container.
    decoder->imageSizeLimit = MaxPixels();
    result = avifDecoderNextImage(decoder.get());
    if (result != AVIF_RESULT_OK)
        return Failed(ResultText(result));
    const avifImage* frame = decoder->image;
    if (!WithinLimits(frame->width, frame->height))
        return Failed(TooLargeText(frame->width, frame->height));

    const bool alpha = frame->alphaPlane != nullptr;
    QImage image(int(frame->width), int(frame->height),
                 alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    if (image.isNull())
        return Failed(ResultText(AVIF_RESULT_OUT_OF_MEMORY));
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, frame);
    // Without an alpha plane libavif fills the fourth byte with 255, as RGBX
    // wants; deeper files are scaled down to 8 bits, unpremultiplied as
    // RGBA8888 holds them.
    rgb.format = AVIF_RGB_FORMAT_RGBA;
    rgb.depth = 8;
    rgb.alphaPremultiplied = AVIF_FALSE;
    rgb.pixels = image.bits();
    rgb.rowBytes = uint32_t(image.bytesPerLine());
    result = avifImageYUVToRGB(frame, &rgb);
    if (result != AVIF_RESULT_OK)
        return Failed(ResultText(result));
    return {std::move(image), QString()};
}

AvifPicture ReadAvifFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(file.errorString());
    // Read whole, not mapped: a file cut short while mapped would kill the
    // program. A file larger than the pixels' budget is not read at all; a
    // compressed still picture never comes near it.
    const qint64 megabytes = QImageReader::allocationLimit();
    if (megabytes > 0 && file.size() > megabytes * 1024 * 1024)
        return Failed(QCoreApplication::translate("AvifReader", "大きすぎるファイルです"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failed(file.errorString());
    return ReadAvif(bytes);
}

} // namespace kelvo
