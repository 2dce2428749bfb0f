#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

namespace kelvo {

// A picture's perceptual hashes, 64 bits each: of the whole picture, and of
// its centre, the picture without a twentieth of each side. Pictures that look
// alike have whole hashes that differ in few bits; a copy with its edges
// trimmed hashes near the centre of the picture it was cut from.
struct PictureHash {
    std::uint64_t whole = 0;
    std::uint64_t centre = 0;

    bool operator==(const PictureHash&) const = default;
};

// How many bits two pictures' hashes differ in: the whole pictures', or one
// whole against the other's centre, whichever are nearer.
inline int HashDistance(PictureHash a, PictureHash b) {
    return std::min({std::popcount(a.whole ^ b.whole), std::popcount(a.whole ^ b.centre),
                     std::popcount(a.centre ^ b.whole)});
}

// Pictures whose hashes differ in at most this many bits are told as similar.
// Not 9: then 0.14% of 10,000 unrelated pictures match another
// (kelvo_picture_hash_bench).
inline constexpr int kSimilarDistance = 8;

inline bool LookSimilar(PictureHash a, PictureHash b) {
    return HashDistance(a, b) <= kSimilarDistance;
}

} // namespace kelvo
