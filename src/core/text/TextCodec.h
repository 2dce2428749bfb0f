#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace kelvo {

class TMlb2;

// Files hold bytes: UTF-8 when we wrote them, Shift-JIS (CP932) when the old
// Windows program did. This is the one place where they become QString.

bool IsValidUtf8(std::string_view bytes);

// An undecodable byte becomes U+FFFD; nothing is dropped.
QString DecodeShiftJis(std::string_view bytes);

// UTF-8 when the bytes are valid UTF-8, else Shift-JIS.
QString DecodeFileText(std::string_view bytes);

// UTF-8 without a byte-order mark.
std::string EncodeFileText(const QString& text);

enum class TextEncoding { Utf8, ShiftJis };

// UTF-8 when every name, type and value of the table is valid UTF-8.
TextEncoding DetectTableEncoding(const TMlb2& table);

QString DecodeText(std::string_view bytes, TextEncoding encoding);

// Rewrites in UTF-8 every name, type and value that is not valid UTF-8,
// each decided on its own: one odd byte garbles no neighbour. The current
// row is not kept.
void ConvertTableToUtf8(TMlb2& table);

} // namespace kelvo
