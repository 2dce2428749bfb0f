#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

namespace kelvo {

struct AvifPicture {
    QImage image;  // null when the bytes could not be decoded
    QString error; // why not, briefly, in English: for logs, never shown
};

// The picture's size as its container states it, read without decoding a
// pixel. Invalid when libavif cannot parse the bytes.
QSize AvifSize(QByteArrayView bytes);

// Decodes an AVIF picture with libavif: the first frame of an animation, 8
// bits a channel whatever the file's depth, with its alpha when it has one.
// A picture with more pixels than Qt's own decoders may allocate
// (QImageReader::allocationLimit) is refused before it is decoded, since AV1
// cannot be decoded scaled down.
AvifPicture ReadAvif(QByteArrayView bytes);

} // namespace kelvo
