#include "avif/AvifReader.h"

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
    return QStringLiteral("too large (%1 x %2)").arg(width).arg(height);
}

bool WithinLimits(uint32_t width, uint32_t height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           quint64(width) * height <= MaxPixels();
}

struct Parsed {
    Decoder decoder;
    avifResult result = AVIF_RESULT_UNKNOWN_ERROR;
};

// The container read, no frame decoded. The bytes must outlive the decoder.
Parsed Parse(QByteArrayView bytes) {
    Parsed parsed{Decoder(avifDecoderCreate())};
    if (!parsed.decoder) {
        parsed.result = AVIF_RESULT_OUT_OF_MEMORY;
        return parsed;
    }
    avifDecoder* decoder = parsed.decoder.get();
    // libavif's own ceilings guard the parse, which decodes no pixels; the
    // budget is checked after it, so that a refusal can say the size.
    decoder->imageSizeLimit = AVIF_DEFAULT_IMAGE_SIZE_LIMIT;
    decoder->imageDimensionLimit = kMaxSide;
    // Files that browsers show are shown here too, some of which strict
    // checking refuses (a missing pixi box); memory safety does not rest on it.
    decoder->strictFlags = AVIF_STRICT_DISABLED;
    // Only the pixels are shown, as stored.
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;
    parsed.result = avifDecoderSetIOMemory(decoder, reinterpret_cast<const uint8_t*>(bytes.data()),
                                           size_t(bytes.size()));
    if (parsed.result == AVIF_RESULT_OK)
        parsed.result = avifDecoderParse(decoder);
    return parsed;
}

} // namespace

QSize AvifSize(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return {};
    const Parsed parsed = Parse(bytes);
    if (parsed.result != AVIF_RESULT_OK)
        return {};
    return QSize(int(parsed.decoder->image->width), int(parsed.decoder->image->height));
}

AvifPicture ReadAvif(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return Failed(QStringLiteral("empty file"));
    Parsed parsed = Parse(bytes);
    if (parsed.result != AVIF_RESULT_OK)
        return Failed(ResultText(parsed.result));
    avifDecoder* decoder = parsed.decoder.get();
    // The container's size, known before any frame is decoded.
    if (!WithinLimits(decoder->image->width, decoder->image->height))
        return Failed(TooLargeText(decoder->image->width, decoder->image->height));

    // The frame decoder refuses a frame beyond the budget before allocating
    // it, should the frame disagree with the container.
    decoder->imageSizeLimit = MaxPixels();
    avifResult result = avifDecoderNextImage(decoder);
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

} // namespace kelvo
