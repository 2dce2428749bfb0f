#pragma once

#include <string_view>

namespace kelvo {

inline constexpr char kPathSeparator = '/';

// Position of the last path separator in path before position end, or npos.
std::string_view::size_type LastSeparator(std::string_view path,
                                          std::string_view::size_type end = std::string_view::npos);

} // namespace kelvo
