#pragma once

#include <string_view>

namespace kelvo {

// Byte by byte, with a to z taken as A to Z and every other byte compared by
// its value; a text that is a prefix of the other is smaller. Negative, 0 or
// positive.
int CompareText(std::string_view a, std::string_view b);
// Byte by byte by value, letter case significant; a prefix is smaller.
int CompareStr(std::string_view a, std::string_view b);

} // namespace kelvo
