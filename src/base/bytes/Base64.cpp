#include "bytes/Base64.h"

#include <array>
#include <cstdint>

namespace kelvo {
namespace {

constexpr uint8_t kInvalid = 0xFF;

constexpr std::array<uint8_t, 256> DecodingTable() {
    std::array<uint8_t, 256> table{};
    table.fill(kInvalid);
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<uint8_t>(alphabet[i])] = static_cast<uint8_t>(i);
    return table;
}

constexpr std::array<uint8_t, 256> kTable = DecodingTable();

// Four characters to three bytes; false when one is not of the alphabet
// (kInvalid has the top bits set, which no sextet has).
inline bool DecodeGroup(const char* in, char* out) {
    const uint32_t a = kTable[static_cast<uint8_t>(in[0])];
    const uint32_t b = kTable[static_cast<uint8_t>(in[1])];
    const uint32_t c = kTable[static_cast<uint8_t>(in[2])];
    const uint32_t d = kTable[static_cast<uint8_t>(in[3])];
    const uint32_t group = a << 18 | b << 12 | c << 6 | d;
    out[0] = static_cast<char>(group >> 16);
    out[1] = static_cast<char>(group >> 8);
    out[2] = static_cast<char>(group);
    return ((a | b | c | d) & 0xC0) == 0;
}

} // namespace

std::optional<std::string> DecodeBase64(std::string_view text) {
    if (text.empty())
        return std::string();
    if (text.size() % 4 != 0)
        return std::nullopt;
    const size_t padding = text.back() != '=' ? 0 : text[text.size() - 2] == '=' ? 2 : 1;
    std::string bytes(text.size() / 4 * 3, '\0');
    // Every group but the last, which may end in padding.
    const size_t whole = text.size() - 4;
    bool valid = true;
    for (size_t at = 0; at < whole; at += 4)
        valid &= DecodeGroup(text.data() + at, bytes.data() + at / 4 * 3);
    char last[4];
    text.substr(whole).copy(last, 4);
    for (size_t i = 4 - padding; i < 4; ++i)
        last[i] = 'A'; // zero bits where the padding stands
    valid &= DecodeGroup(last, bytes.data() + whole / 4 * 3);
    if (!valid)
        return std::nullopt;
    bytes.resize(bytes.size() - padding);
    return bytes;
}

} // namespace kelvo
