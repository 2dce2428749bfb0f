#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kelvo {

// The browsers' native messaging framing: each message is its length in four
// bytes of this machine's order, then that much UTF-8 JSON.

// A message to the browser may be 1 MB at most; the browsers refuse more.
inline constexpr qsizetype kLargestAnswer = 1024 * 1024;

// The next message read from fd; nothing at the end of the input, or when it
// breaks off (then *broken is set).
std::optional<QByteArray> ReadNativeMessage(int fd, bool* broken = nullptr);

// Writes one message whole; false when it is too large or cannot be written.
bool WriteNativeMessage(int fd, const QByteArray& json);

} // namespace kelvo
