// Decodes arbitrary bytes as an AVIF picture, as the previews do with a file
// from the web: either a picture within Qt's allocation budget, whose pixels
// can be drawn, or a null picture and a reason, never both and never neither.

#include "Checks.h"
#include "avif/AvifReader.h"

#include <QImageReader>

#include <cstddef>
#include <cstdint>

namespace kelvo::fuzz {
namespace {

void CheckRead(QByteArrayView bytes) {
    const AvifPicture read = ReadAvif(bytes);
    if (read.image.isNull()) {
        Require(!read.error.isEmpty(), "refused without a reason");
        return;
    }
    Require(read.error.isEmpty(), "a picture and a reason");
    const qint64 pixels = qint64(read.image.width()) * read.image.height();
    Require(pixels > 0, "an empty picture");
    Require(pixels * 4 <= qint64(QImageReader::allocationLimit()) * 1024 * 1024,
            "a picture beyond the allocation budget");
    // Every row is read, as drawing the preview would: a buffer that does not
    // hold what the picture says shows under the address sanitizer.
    const QImage drawable = read.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Require(drawable.size() == read.image.size(), "a picture that cannot be drawn");
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::CheckRead(QByteArrayView(data, qsizetype(size)));
    return 0;
}
