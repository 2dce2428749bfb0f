#include "history/TextCompare.h"

#include <algorithm>

namespace kelvo {
namespace {

unsigned char FoldAscii(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

template <typename Fold> int CompareBytes(std::string_view a, std::string_view b, Fold fold) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const int x = fold(static_cast<unsigned char>(a[i]));
        const int y = fold(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x - y;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace

int CompareText(std::string_view a, std::string_view b) {
    return CompareBytes(a, b, FoldAscii);
}

int CompareStr(std::string_view a, std::string_view b) {
    return CompareBytes(a, b, [](unsigned char c) { return c; });
}

} // namespace kelvo
