#include "commands/FieldPrinting.h"

#include "commands/CommandOutput.h"
#include "text/TextCodec.h"
#include "text/TextScan.h"

#include <cstdint>
#include <cstring>

namespace kelvo {

namespace {

// The escaped letter of a byte that cannot stand in a field as it is; 0 for
// every other byte.
char EscapeLetter(char byte) {
    switch (byte) {
    case '\\':
        return '\\';
    case '\t':
        return 't';
    case '\n':
        return 'n';
    case '\r':
        return 'r';
    default:
        return 0;
    }
}

// Backslashes and bytes below 0x0E (tab, line feed and carriage return are
// among them): what may need escaping, and seldom anything else.
uint64_t MarkCandidates(uint64_t word) {
    return words::MarkEqual(word, '\\') | words::MarkBelow(word, 0x0E);
}

// The first byte from at on that may need escaping; the size when none may.
size_t NextCandidate(std::string_view text, size_t at) {
    constexpr size_t kWord = sizeof(uint64_t);
    const size_t size = text.size();
    for (; size - at >= kWord; at += kWord) {
        if (const uint64_t marks = MarkCandidates(words::Load(text.data() + at)))
            return at + words::FirstMarked(marks);
    }
    if (at == size)
        return size;
    if (size >= kWord) {
        // The word that ends the text, less the bytes already looked at.
        const size_t seen = kWord - (size - at);
        const uint64_t marks =
            MarkCandidates(words::Load(text.data() + size - kWord)) & (~0ull << (8 * seen));
        return marks != 0 ? size - kWord + words::FirstMarked(marks) : size;
    }
    for (; at < size; ++at) {
        if (uint8_t(text[at]) < 0x0E || text[at] == '\\')
            return at;
    }
    return size;
}

size_t FirstToEscape(std::string_view text) {
    for (size_t at = NextCandidate(text, 0); at < text.size(); at = NextCandidate(text, at + 1)) {
        if (EscapeLetter(text[at]) != 0)
            return at;
    }
    return std::string_view::npos;
}

enum class Copied { Plain, ToEscape, NotUtf8 };

// Copies a text into room (its size and 8 bytes more) and checks it on the
// way, in one pass: most texts are then printed as copied.
Copied CopyUtf8(std::string_view text, char* room) {
    constexpr size_t kWord = sizeof(uint64_t);
    const char* bytes = text.data();
    const size_t size = text.size();
    uint64_t candidates = 0;
    size_t at = 0;
    while (size - at >= kWord) {
        std::memcpy(room + at, bytes + at, kWord);
        const uint64_t word = words::Load(bytes + at);
        candidates |= MarkCandidates(word);
        const uint64_t high = words::MarkHigh(word);
        if (high == 0) {
            at += kWord;
            continue;
        }
        at += words::FirstMarked(high);
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0)
            return Copied::NotUtf8;
        // The sequence may reach past the word copied.
        if (size - at >= kWord)
            std::memcpy(room + at, bytes + at, kWord);
        else
            std::memcpy(room + at, bytes + at, length);
        at += length;
    }
    if (at < size && size >= kWord) {
        // The word that ends the text, less the bytes already looked at.
        std::memcpy(room + size - kWord, bytes + size - kWord, kWord);
        const uint64_t word = words::Load(bytes + size - kWord);
        const uint64_t unseen = ~0ull << (8 * (kWord - (size - at)));
        candidates |= MarkCandidates(word) & unseen;
        if ((words::MarkHigh(word) & unseen) == 0)
            at = size;
    } else if (at < size) {
        // A short text as one word, padded with bytes that need no escape.
        const uint64_t word = words::LoadShort(bytes, size, 'a');
        if (words::MarkHigh(word) == 0) {
            std::memcpy(room, bytes, size);
            candidates = MarkCandidates(word);
            at = size;
        }
    }
    // An end that is not ASCII.
    while (at < size) {
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0)
            return Copied::NotUtf8;
        if (length == 1 && (uint8_t(bytes[at]) < 0x0E || bytes[at] == '\\'))
            candidates = 1;
        for (const size_t end = at + length; at < end; ++at)
            room[at] = bytes[at];
    }
    return candidates != 0 ? Copied::ToEscape : Copied::Plain;
}

} // namespace

std::string_view EscapeTableField(std::string_view text, std::string& scratch) {
    size_t at = FirstToEscape(text);
    if (at == std::string_view::npos)
        return text;
    // No byte of a multi-byte UTF-8 character is below 0x80, so the bytes
    // escaped here are the characters.
    scratch.assign(text.substr(0, at));
    while (at < text.size()) {
        if (const char letter = EscapeLetter(text[at])) {
            scratch += '\\';
            scratch += letter;
        } else {
            scratch += text[at];
        }
        const size_t next = NextCandidate(text, at + 1);
        scratch.append(text.substr(at + 1, next - at - 1));
        at = next;
    }
    return scratch;
}

void PrintTableField(std::string_view text, std::string& scratch, CommandOutput& out) {
    switch (CopyUtf8(text, out.Room(text.size() + sizeof(uint64_t)))) {
    case Copied::Plain:
        out.Commit(text.size());
        break;
    case Copied::ToEscape:
        out << EscapeTableField(text, scratch);
        break;
    case Copied::NotUtf8: {
        const QByteArray utf8 = DecodeShiftJis(text).toUtf8();
        out << EscapeTableField(std::string_view(utf8.constData(), size_t(utf8.size())), scratch);
        break;
    }
    }
}

} // namespace kelvo
