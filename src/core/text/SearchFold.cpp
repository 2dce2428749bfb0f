#include "text/SearchFold.h"

#include <QChar>
#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace kelvo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

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

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

// Joins the character before it under NFKC: a combining mark, the half-width
// voiced marks, a Hangul letter (letters compose into a syllable).
bool Joins(char32_t cp) {
    if (cp >= 0x30A0 && cp <= 0x9FFF) // katakana to ideographs, the most often asked
        return cp >= 0x3131 && cp <= 0x318E;
    return cp == 0xFF9E || cp == 0xFF9F || (cp >= 0x1160 && cp <= 0x11FF) ||
           (cp >= 0x3131 && cp <= 0x318E) || (cp >= 0xFFA0 && cp <= 0xFFDC) || QChar::isMark(cp);
}

// Characters NFKC and case folding leave as they are: kana, ideographs and
// the Japanese punctuation most texts hold.
bool FoldsToItself(char32_t cp) {
    return (cp >= 0x3041 && cp <= 0x3096) || (cp >= 0x30A1 && cp <= 0x30FE) ||
           (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0x3400 && cp <= 0x4DBF) || cp == 0x3001 ||
           cp == 0x3002 || cp == 0x300C || cp == 0x300D;
}

// Whether a character that joins the one before starts at text[at].
bool JoinerAt(std::string_view text, size_t at) {
    if (at >= text.size() || static_cast<unsigned char>(text[at]) < 0x80)
        return false;
    bool valid = true;
    return Joins(DecodeAt(text, at, valid));
}

// How many bytes from at are kana and ideographs (three bytes each, from E3
// to E9), which fold to themselves, but for the last one when a mark follows.
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
    if (end > at && JoinerAt(text, end))
        end -= 3;
    return end - at;
}

// The rest, through Qt, remembered: a history repeats few such characters.
const std::string& FoldedByQt(const std::u32string& cluster) {
    thread_local std::unordered_map<std::u32string, std::string> folded;
    if (const auto found = folded.find(cluster); found != folded.end())
        return found->second;
    if (folded.size() > 4096)
        folded.clear();
    const QString text = QString::fromUcs4(cluster.data(), qsizetype(cluster.size()));
    const QByteArray bytes = text.normalized(QString::NormalizationForm_KC).toCaseFolded().toUtf8();
    return folded.emplace(cluster, bytes.toStdString()).first->second;
}

void FoldCluster(const std::u32string& cluster, std::string& out) {
    if (cluster.size() == 1) {
        const char32_t cp = cluster[0];
        if (cp < 0x80)
            return out.push_back(kAsciiLower[cp]);
        if (FoldsToItself(cp))
            return AppendUtf8(cp, out);
        if (cp >= 0xFF01 && cp <= 0xFF5E) // full-width ASCII
            return out.push_back(kAsciiLower[cp - 0xFEE0]);
    }
    out += FoldedByQt(cluster);
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

// Appends the plain ASCII from at, lowered, but for its last byte when more
// follows (a mark would join it); how many bytes it took.
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
    if (end < text.size() && end > at)
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
    std::u32string cluster;
    size_t at = 0;
    while (at < utf8.size()) {
        at += AppendAsciiRun(utf8, at, out);
        if (at == utf8.size())
            break;
        const size_t start = at;
        const auto byte = static_cast<unsigned char>(utf8[at]);
        // Most of what is not ASCII: copied a run at a time.
        if (const size_t run = KanaAndIdeographs(utf8, at); run > 0) {
            out.append(utf8.substr(at, run));
            at += run;
            continue;
        }
        if (byte < 0x80 &&
            (at + 1 == utf8.size() || static_cast<unsigned char>(utf8[at + 1]) < 0x80)) {
            out.push_back(kAsciiLower[byte]);
            ++at;
            continue;
        }
        const char32_t first = byte < 0x80 ? char32_t(utf8[at++]) : DecodeAt(utf8, at, valid);
        cluster.assign(1, first);
        while (at < utf8.size() && static_cast<unsigned char>(utf8[at]) >= 0x80) {
            size_t next = at;
            const char32_t cp = DecodeAt(utf8, next, valid);
            if (!Joins(cp))
                break;
            cluster.push_back(cp);
            at = next;
        }
        // Kana and ideographs, the most of what is not ASCII, are copied.
        if (cluster.size() == 1 && FoldsToItself(first))
            out.append(utf8.substr(start, at - start));
        else
            FoldCluster(cluster, out);
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
