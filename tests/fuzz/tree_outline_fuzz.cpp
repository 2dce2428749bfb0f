// Reads arbitrary bytes as a tree outline file (TreeView.txt, TreeViewLogs.txt),
// checks the entries' nesting, then writes them and reads that back.

#include "Checks.h"
#include "text/TreeOutline.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvo::fuzz {
namespace {

bool SameEntries(const QList<OutlineEntry>& a, const QList<OutlineEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].level != b[i].level || a[i].text != b[i].text)
            return false;
    }
    return true;
}

void CheckOutline(std::string_view bytes) {
    const TreeOutline outline = ReadTreeOutline(bytes);
    Require(outline.invalidLine >= 0, "negative invalid line");
    int previous = -1;
    for (const OutlineEntry& entry : outline.entries) {
        Require(entry.level >= 0 && entry.level <= previous + 1, "entry nested too deep");
        Require(!entry.text.isEmpty(), "empty entry read");
        Require(entry.text[0] != u'\t' && entry.text[0] != u' ', "indent left in the text");
        Require(!entry.text.contains(u'\n'), "line feed inside an entry");
        previous = entry.level;
    }

    // What is written reads back the same, and a second write changes nothing.
    const std::string written = WriteTreeOutline(outline.entries);
    const TreeOutline again = ReadTreeOutline(written);
    Require(again.invalidLine == 0, "written outline has an invalid line");
    Require(SameEntries(again.entries, outline.entries), "entries changed by write and read");
    Require(WriteTreeOutline(again.entries) == written, "second write differs from the first");
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::CheckOutline(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
