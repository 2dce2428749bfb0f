#pragma once

#include "collection/SimilarPictures.h"

#include <cstdint>

namespace kelvo::testing {

// A picture whose centre hashes as its whole: distances between such hashes
// are those of their bits.
inline PictureHash Hash(std::uint64_t bits) {
    return {bits, bits};
}

} // namespace kelvo::testing
