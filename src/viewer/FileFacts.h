#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace kelvo {

// Size in bytes of the file, 0 when it cannot be read.
qint64 FileSizeOf(const QString& path);
// Local time of the file's last change, to the second; invalid when unknown.
QDateTime FileTimeOf(const QString& path);
// 12,345ﾊﾞｲﾄ: the size grouped in thousands by the locale.
QString SizeText(qint64 bytes, const QLocale& locale = QLocale());

enum class PictureKind { None, Jpeg, BitmapOrIcon, Png, Gif };

// By the extension of the file name (the part from its last "." after the last
// separator), in upper case: .JPG/.JPEG, .BMP/.ICO, .PNG, .GIF; None otherwise.
PictureKind PictureKindOf(const QString& path);

} // namespace kelvo
