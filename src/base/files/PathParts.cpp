#include "files/PathParts.h"

namespace kelvo {

std::string_view::size_type LastSeparator(std::string_view path, std::string_view::size_type end) {
    if (end != std::string_view::npos)
        path = path.substr(0, end);
    return path.rfind(kPathSeparator);
}

} // namespace kelvo
