#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace kelvo {

// The drag type under which Chromium packs every type a page set itself.
inline constexpr char kChromiumCustomDataType[] = "chromium/x-web-custom-data";

// Reads Chromium's custom drag data: a 32-bit payload size, then the payload:
// a 32-bit pair count and that many pairs of UTF-16 strings (type, value),
// each a 32-bit length in characters and its characters, padded to 4 bytes.
// Little-endian throughout. The blob is untrusted: any length that runs past
// the payload, a payload that runs past the blob, or a misaligned blob gives
// nothing. Bytes after the payload are ignored.
std::optional<QList<std::pair<QString, QString>>> ReadChromiumCustomData(QByteArrayView blob);

// The value stored under type; nothing when the blob is unreadable or has none.
std::optional<QString> ChromiumCustomValue(QByteArrayView blob, const QString& type);

} // namespace kelvo
