#include "bytes/Sha256Blocks.h"

#include <bit>

namespace kelvo::sha256_detail {

namespace {

std::uint32_t LoadBigEndian(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
           std::uint32_t(bytes[2]) << 8 | std::uint32_t(bytes[3]);
}

void CompressBlock(std::uint32_t state[8], const unsigned char* block) {
    std::uint32_t schedule[64];
    for (int i = 0; i < 16; ++i)
        schedule[i] = LoadBigEndian(block + 4 * i);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t early = schedule[i - 15];
        const std::uint32_t late = schedule[i - 2];
        const std::uint32_t sigma0 = std::rotr(early, 7) ^ std::rotr(early, 18) ^ (early >> 3);
        const std::uint32_t sigma1 = std::rotr(late, 17) ^ std::rotr(late, 19) ^ (late >> 10);
        schedule[i] = schedule[i - 16] + sigma0 + schedule[i - 7] + sigma1;
    }

    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t sum1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t first = h + sum1 + choice + kRoundConstants[i] + schedule[i];
        const std::uint32_t sum0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        h = g;
        g = f;
        f = e;
        e = d + first;
        d = c;
        c = b;
        b = a;
        a = first + sum0 + majority;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

} // namespace

void PortableBlocks(std::uint32_t state[8], const unsigned char* blocks, std::size_t count) {
    for (; count > 0; --count, blocks += 64)
        CompressBlock(state, blocks);
}

} // namespace kelvo::sha256_detail
