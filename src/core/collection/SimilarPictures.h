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
// Not 10: then 0.2% of 10,000 unrelated pictures match another (kelvo_picture_hash_bench).
inline constexpr int kSimilarDistance = 9;

inline bool LookSimilar(PictureHash a, PictureHash b) {
    return HashDistance(a, b) <= kSimilarDistance;
}

} // namespace kelvo
