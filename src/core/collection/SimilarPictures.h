#pragma once

#include <bit>
#include <cstdint>

namespace kelvo {

// A picture's 64-bit perceptual hash: pictures that look alike have hashes
// that differ in few bits.
using PictureHash = std::uint64_t;

// How many bits two hashes differ in.
inline int HashDistance(PictureHash a, PictureHash b) {
    return std::popcount(a ^ b);
}

// Pictures whose hashes differ in at most this many bits are told as similar.
inline constexpr int kSimilarDistance = 10;

inline bool LookSimilar(PictureHash a, PictureHash b) {
    return HashDistance(a, b) <= kSimilarDistance;
}

} // namespace kelvo
