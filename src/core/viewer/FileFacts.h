#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace kelvo {

// Size in bytes of the file, 0 when it cannot be read.
qint64 FileSizeOf(const QString& path);
// Local time of the file's last change, to the second; invalid when unknown.
QDateTime FileTimeOf(const QString& path);
// Japan's forms for what the user reads, whatever the system's locale: the
// program's every text is Japanese, and "7 Dec 2026" among them reads wrong.
QLocale DisplayLocale();
// 12,345ﾊﾞｲﾄ: the size grouped in thousands by the locale.
QString SizeText(qint64 bytes, const QLocale& locale = DisplayLocale());
// 2026/12/07: the date in the display locale's short form.
QString ShortDateText(const QDate& date);

enum class PictureKind { None, Jpeg, BitmapOrIcon, Png, Gif, Webp, Avif };

// By the extension of the file name (the part from its last "." after the last
// separator), in upper case: .JPG/.JPEG, .BMP/.ICO, .PNG, .GIF, .WEBP, .AVIF;
// None otherwise.
PictureKind PictureKindOf(const QString& path);

} // namespace kelvo
