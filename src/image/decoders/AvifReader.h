#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace kelvo {

struct AvifPicture {
    QImage image;  // null when the bytes could not be decoded
    QString error; // why not, briefly
};

// Decodes an AVIF picture with libavif: the first frame of an animation, 8
// bits a channel whatever the file's depth, with its alpha when it has one.
// A picture with more pixels than Qt's own decoders may allocate
// (QImageReader::allocationLimit) is refused before it is decoded, since AV1
// cannot be decoded scaled down.
AvifPicture ReadAvif(QByteArrayView bytes);
// The same from a file, refused unread when it has more bytes than the
// pixels may take.
AvifPicture ReadAvifFile(const QString& path);

} // namespace kelvo
