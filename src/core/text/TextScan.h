#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kelvo {

// Length of the UTF-8 sequence starting at bytes[at], or 0 when it is not a
// well-formed one (overlong forms, surrogates and values above U+10FFFF
// included). Inline: the scanners call it for every character.
inline size_t Utf8SequenceLength(std::string_view bytes, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char secondMin = 0x80;
    unsigned char secondMax = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        secondMin = lead == 0xE0 ? 0xA0 : 0x80;
        secondMax = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        secondMin = lead == 0xF0 ? 0x90 : 0x80;
        secondMax = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() - at < length || byte(1) < secondMin || byte(1) > secondMax)
        return 0;
    for (size_t i = 2; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

} // namespace kelvo

namespace kelvo::words {

// Scanning text eight bytes at a time. A mark is the high bit of a byte in a
// word; a mark test flags every byte it is meant to, and may flag more only
// above (later in memory than) the first one, so the first mark is exact.

inline constexpr uint64_t kEveryByte = 0x0101010101010101ull;
inline constexpr uint64_t kHighBits = 0x8080808080808080ull;

// The first byte in memory is the lowest of the word, so that borrows run
// the way the text does.
inline uint64_t Load(const char* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    return word;
}

// The bytes of a text shorter than a word, padded with pad.
inline uint64_t LoadShort(const char* bytes, size_t size, char pad) {
    char padded[sizeof(uint64_t)];
    std::memset(padded, pad, sizeof padded);
    std::memcpy(padded, bytes, size);
    return Load(padded);
}

// Bytes of 0x80 and above, which no ASCII text has.
inline uint64_t MarkHigh(uint64_t word) {
    return word & kHighBits;
}

inline uint64_t MarkEqual(uint64_t word, uint8_t byte) {
    const uint64_t differences = word ^ (kEveryByte * byte);
    return (differences - kEveryByte) & ~differences & kHighBits;
}

// Bytes below limit, for a limit of at most 0x80.
inline uint64_t MarkBelow(uint64_t word, uint8_t limit) {
    return (word - kEveryByte * limit) & ~word & kHighBits;
}

// Where, from 0 to 7 in memory order, the first marked byte lies.
inline size_t FirstMarked(uint64_t marks) {
    return size_t(std::countr_zero(marks)) / 8;
}

} // namespace kelvo::words
