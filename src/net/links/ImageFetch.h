#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

namespace kelvo {

// Fetches an image a person pasted the address of: http and https only, the
// same or safer schemes through redirects, at most kLargestImage bytes, given
// up after kFetchTime. The event loop keeps turning meanwhile, without user
// input, as in a capture's other waits. Nothing when the server gives no
// bytes with success.
inline constexpr qint64 kLargestImage = 256ll * 1024 * 1024;
inline constexpr int kFetchTime = 15000; // ms
std::optional<QByteArray> FetchImage(const QUrl& address);

} // namespace kelvo
