#pragma once

#include <QList>
#include <QString>

#include <string>
#include <string_view>

namespace kelvo {

// One line of a tree outline file: a node's text and its nesting level.
struct OutlineEntry {
    int level = 0;
    QString text;
};

struct TreeOutline {
    // Depth first; the first entry is at level 0 and every entry is at most
    // one level deeper than the one before it.
    QList<OutlineEntry> entries;
    // The 1-based line at which reading stopped because it was nested more than
    // one level deeper than the line before it; 0 when the whole file was read.
    int invalidLine = 0;
};

// Lines end in CR LF (LF alone is taken too); each leading tab or space is one
// level. Empty lines and lines of blanks only are skipped. A line that is not
// valid UTF-8 is read as Shift-JIS, each line on its own.
TreeOutline ReadTreeOutline(std::string_view bytes);
// UTF-8, one tab per level, CR LF after every line; an empty tree is an empty file.
std::string WriteTreeOutline(const QList<OutlineEntry>& entries);

} // namespace kelvo
