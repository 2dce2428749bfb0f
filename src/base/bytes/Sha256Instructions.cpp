#include "bytes/Sha256Blocks.h"

#if defined(__x86_64__)

#include <cpuid.h>
#include <immintrin.h>

namespace kelvo::sha256_detail {

namespace {

// The SHA extensions' rounds keep the state as ABEF and CDGH and take the
// message words in big-endian order, four rounds to a group.
__attribute__((target("sha,sse4.1"))) void
ShaExtensionBlocks(std::uint32_t state[8], const unsigned char* blocks, std::size_t count) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    const __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    const __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

    for (; count > 0; --count, blocks += 64) {
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        // words[g % 4] holds group g's four message words; from group 4 on,
        // each is made from the four groups before it while those run.
        __m128i words[4];
#pragma GCC unroll 16
        for (int group = 0; group < 16; ++group) {
            __m128i& current = words[group % 4];
            if (group < 4)
                current = _mm_shuffle_epi8(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * group)),
                    byteSwap);
            __m128i input = _mm_add_epi32(current, _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                       &kRoundConstants[4 * group])));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, input);
            if (group >= 3 && group < 15) {
                __m128i& next = words[(group + 1) % 4];
                next = _mm_add_epi32(next, _mm_alignr_epi8(current, words[(group + 3) % 4], 4));
                next = _mm_sha256msg2_epu32(next, current);
            }
            input = _mm_shuffle_epi32(input, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, input);
            if (group >= 1 && group < 13) {
                __m128i& previous = words[(group + 3) % 4];
                previous = _mm_sha256msg1_epu32(previous, current);
            }
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}

bool ProcessorHasShaExtensions() {
#if defined(__clang__)
    // clang 14 (the fuzz build's) knows no "sha" for __builtin_cpu_supports:
    // the bit CPUID leaf 7 gives for it.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __builtin_cpu_supports("sse4.1") && __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) &&
           (ebx & bit_SHA) != 0;
#else
    return __builtin_cpu_supports("sha") && __builtin_cpu_supports("sse4.1");
#endif
}

} // namespace

BlockFunction InstructionBlocks() {
    static const BlockFunction blocks = ProcessorHasShaExtensions() ? ShaExtensionBlocks : nullptr;
    return blocks;
}

} // namespace kelvo::sha256_detail

#else

namespace kelvo::sha256_detail {

BlockFunction InstructionBlocks() {
    return nullptr;
}

} // namespace kelvo::sha256_detail

#endif
