#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kelvo {

// Where the quote characters are, 64 bytes at a time, as one bit a byte: the
// next one is then a bit scan away, where a loop over 16-byte steps stopped
// at a different step for every value and was mispredicted at most of them.
// The bytes from the last position asked for on must not change: a block's
// bits are kept while the positions asked for stay in it.
class QuoteFinder {
public:
    QuoteFinder(const char* data, size_t size) : data_(data), size_(size) {}

    // The position of the first quote character from from on, or size.
    size_t Next(size_t from) {
        if (from >= size_)
            return size_;
        if (const size_t block = from & ~size_t{63}; block != block_ || !valid_)
            Load(block);
        uint64_t bits = bits_ & (~uint64_t{0} << (from & 63));
        while (bits == 0) {
            if (block_ + 64 >= size_)
                return size_;
            Load(block_ + 64);
            bits = bits_;
        }
        return block_ + static_cast<size_t>(__builtin_ctzll(bits));
    }

private:
    void Load(size_t block) {
        block_ = block;
        valid_ = true;
        bits_ = 0;
        const size_t count = std::min<size_t>(64, size_ - block);
        size_t at = 0;
#if defined(__SSE2__)
        const __m128i quote = _mm_set1_epi8('"');
        for (; at + 16 <= count; at += 16) {
            const __m128i chunk =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data_ + block + at));
            const auto hits =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, quote)));
            bits_ |= uint64_t{hits} << at;
        }
#endif
        for (; at < count; ++at)
            bits_ |= uint64_t{data_[block + at] == '"'} << at;
    }

    const char* data_;
    size_t size_;
    size_t block_ = 0;
    uint64_t bits_ = 0;
    bool valid_ = false;
};

} // namespace kelvo
