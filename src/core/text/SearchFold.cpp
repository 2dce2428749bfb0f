#include "text/SearchFold.h"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/stringpiece.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace kelvo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

constexpr std::array<char, 128> AsciiLower() {
    std::array<char, 128> lower{};
    for (int c = 0; c < 128; ++c)
        lower[size_t(c)] = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower;
}
constexpr std::array<char, 128> kAsciiLower = AsciiLower();

// Decodes the character at text[at] (not ASCII), advancing at past it; bytes
// that are no UTF-8 give kReplacement and clear valid.
char32_t DecodeAt(std::string_view text, size_t& at, bool& valid) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead >= 0xF5 || (lead & 0xFE) == 0xC0 || at + size_t(length) > text.size()) {
        ++at;
        valid = false;
        return kReplacement;
    }
    char32_t cp = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + size_t(i));
        if ((next & 0xC0) != 0x80) {
            at += size_t(i);
            valid = false;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    at += size_t(length);
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
        valid = false;
        return kReplacement;
    }
    return cp;
}

// NFKC_Casefold; ICU builds it into its data, so it is missing only when
// memory is.
const icu::Normalizer2* Folding() {
    static const icu::Normalizer2* const folding = [] {
        UErrorCode error = U_ZERO_ERROR;
        const icu::Normalizer2* instance = icu::Normalizer2::getNFKCCasefoldInstance(error);
        return U_SUCCESS(error) ? instance : nullptr;
    }();
    return folding;
}

// Characters the fold leaves as they are, and that start afresh: kana,
// ideographs and the Japanese punctuation most texts hold.
bool FoldsToItself(char32_t cp) {
    return (cp >= 0x3041 && cp <= 0x3096) || (cp >= 0x30A1 && cp <= 0x30FE) ||
           (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0x3400 && cp <= 0x4DBF) || cp == 0x3001 ||
           cp == 0x3002 || cp == 0x300C || cp == 0x300D;
}

// Whether the fold joins nothing before this character to it, so that the
// text before it and from it fold apart (no mark, voiced mark, Hangul vowel
// or soft hyphen).
bool StartsAfresh(char32_t cp) {
    // Most of what follows a run of ASCII, asked without a call into ICU.
    if (FoldsToItself(cp))
        return true;
    const icu::Normalizer2* folding = Folding();
    return !folding || folding->hasBoundaryBefore(UChar32(cp));
}

// The same for the character at text[at]: ASCII does, and bytes that are no
// UTF-8, which fold as U+FFFD.
bool StartsAfreshAt(std::string_view text, size_t at) {
    if (at >= text.size() || static_cast<unsigned char>(text[at]) < 0x80)
        return true;
    bool valid = true;
    const char32_t cp = DecodeAt(text, at, valid);
    return !valid || StartsAfresh(cp);
}

// How many bytes from at are kana and ideographs (three bytes each, from E3
// to E9), which fold to themselves, but for the last one when a voiced mark
// follows.
size_t KanaAndIdeographs(std::string_view text, size_t at) {
    size_t end = at;
    while (end + 3 <= text.size()) {
        const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[end + i]); };
        if (byte(0) < 0xE3 || byte(0) > 0xE9 || (byte(1) & 0xC0) != 0x80 ||
            (byte(2) & 0xC0) != 0x80)
            break;
        const auto cp = char32_t((byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F));
        if (!FoldsToItself(cp))
            break;
        end += 3;
    }
    if (end > at && !StartsAfreshAt(text, end))
        end -= 3;
    return end - at;
}

// A piece of valid UTF-8 folded; copied as it is should ICU fail, rather
// than lost.
void AppendFoldedPiece(std::string_view piece, std::string& out) {
    const icu::Normalizer2* folding = Folding();
    const size_t before = out.size();
    UErrorCode error = U_ZERO_ERROR;
    if (folding) {
        icu::StringByteSink<std::string> sink(&out);
        folding->normalizeUTF8(0, icu::StringPiece(piece.data(), int32_t(piece.size())), sink,
                               nullptr, error);
    }
    if (!folding || U_FAILURE(error)) {
        out.resize(before);
        out.append(piece);
    }
}

// Folds through ICU the text from at up to the next character a faster path
// takes (ASCII, kana, ideographs), or up to bytes that are no UTF-8; how many
// bytes it took. Bytes that are no UTF-8 at at give one U+FFFD and clear
// valid.
size_t AppendFoldedByIcu(std::string_view text, size_t at, std::string& out, bool& valid) {
    size_t end = at;
    bool firstValid = true;
    if (static_cast<unsigned char>(text[at]) < 0x80)
        ++end;
    else
        DecodeAt(text, end, firstValid);
    if (!firstValid) {
        valid = false;
        out.append(kReplacementUtf8);
        return end - at;
    }
    while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80) {
        size_t next = end;
        bool nextValid = true;
        const char32_t cp = DecodeAt(text, next, nextValid);
        if (!nextValid || FoldsToItself(cp))
            break;
        end = next;
    }
    AppendFoldedPiece(text.substr(at, end - at), out);
    return end - at;
}

constexpr uint64_t kHighBits = 0x8080808080808080ull;

uint64_t Repeated(unsigned char byte) {
    return 0x0101010101010101ull * byte;
}

// Eight ASCII bytes lowered at once: A to Z gain 0x20.
uint64_t LoweredAscii(uint64_t bytes) {
    const uint64_t aboveZ = bytes + Repeated(0x7F - 'Z');
    const uint64_t fromA = bytes + Repeated(0x80 - 'A');
    const uint64_t upper = fromA & ~aboveZ & kHighBits;
    return bytes | (upper >> 2);
}

// Appends the plain ASCII from at, lowered, but for its last byte when what
// follows joins it (a mark); how many bytes it took.
size_t AppendAsciiRun(std::string_view text, size_t at, std::string& out) {
    size_t end = at;
    uint64_t bytes;
    while (end + 8 <= text.size()) {
        std::memcpy(&bytes, text.data() + end, 8);
        if ((bytes & kHighBits) != 0)
            break;
        end += 8;
    }
    while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80)
        ++end;
    if (end > at && !StartsAfreshAt(text, end))
        --end;
    const size_t length = end - at;
    const size_t first = out.size();
    out.append(text.substr(at, length));
    char* lowered = out.data() + first;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::memcpy(&bytes, lowered + i, 8);
        bytes = LoweredAscii(bytes);
        std::memcpy(lowered + i, &bytes, 8);
    }
    for (; i < length; ++i)
        lowered[i] = kAsciiLower[static_cast<unsigned char>(lowered[i])];
    return length;
}

} // namespace

bool AppendSearchFolded(std::string_view utf8, std::string& out) {
    bool valid = true;
    out.reserve(out.size() + utf8.size());
    size_t at = 0;
    while (at < utf8.size()) {
        at += AppendAsciiRun(utf8, at, out);
        if (at == utf8.size())
            break;
        // Most of what is not ASCII: copied a run at a time.
        if (const size_t run = KanaAndIdeographs(utf8, at); run > 0) {
            out.append(utf8.substr(at, run));
            at += run;
            continue;
        }
        at += AppendFoldedByIcu(utf8, at, out, valid);
    }
    return valid;
}

std::string SearchFolded(std::string_view utf8) {
    std::string out;
    AppendSearchFolded(utf8, out);
    return out;
}

std::vector<std::string> SearchWords(std::string_view utf8) {
    const std::string folded = SearchFolded(utf8);
    std::vector<std::string> words;
    size_t at = 0;
    while (at < folded.size()) {
        const size_t start = folded.find_first_not_of(" \t\r\n", at);
        if (start == std::string::npos)
            break;
        const size_t end = std::min(folded.find_first_of(" \t\r\n", start), folded.size());
        words.emplace_back(folded.substr(start, end - start));
        at = end;
    }
    return words;
}

} // namespace kelvo
