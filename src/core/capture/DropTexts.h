#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QMimeData;
class QUrl;

namespace kelvo {

// The bytes of one type of a drop; empty when the drop has no such type.
QByteArray DropData(const QMimeData& mime, const char* type);

// A text a browser handed over: UTF-16 or UTF-8, without a byte-order mark,
// a terminating zero or surrounding blanks.
QString BrowserText(const QByteArray& bytes);

bool IsWebAddress(const QUrl& url);
// An address as a user or a log gives it, read as the desktop would open it:
// only a web page may be opened, never a file, a script or another scheme.
bool IsOpenableAddress(const QString& address);

// Every address the drop itself gives for its image, best first: the address
// Firefox promises to write, the listed addresses other than local files,
// then the first image source in the dragged markup.
QStringList DropImageAddresses(const QMimeData& mime);

} // namespace kelvo
