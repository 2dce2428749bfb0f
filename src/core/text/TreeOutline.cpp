#include "text/TreeOutline.h"

#include "text/TextCodec.h"

#include <QStringView>

namespace kelvo {

namespace {

constexpr char16_t kByteOrderMark = u'\uFEFF';

// CR LF ends a line; a lone LF, as Linux editors write it, does too.
// Each line is UTF-8 or Shift-JIS on its own; no Shift-JIS byte is a line
// feed, so the bytes split before they are decoded.
QStringList DecodedLines(std::string_view bytes) {
    QStringList lines;
    for (size_t start = 0; start <= bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.append(DecodeFileText(line));
        start = end + 1;
    }
    if (lines.front().startsWith(kByteOrderMark))
        lines.front().remove(0, 1);
    return lines;
}

qsizetype IndentOf(QStringView line) {
    qsizetype indent = 0;
    while (indent < line.size() && (line[indent] == u'\t' || line[indent] == u' '))
        ++indent;
    return indent;
}

qsizetype LeadOfFirstLine(QStringView line) {
    qsizetype lead = 0;
    while (lead < line.size() &&
           (line[lead] == u'\t' || line[lead] == u' ' || line[lead] == kByteOrderMark))
        ++lead;
    return lead;
}

} // namespace

TreeOutline ReadTreeOutline(std::string_view bytes) {
    TreeOutline outline;
    const QStringList lines = DecodedLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        OutlineEntry entry{int(IndentOf(line)), line.mid(IndentOf(line))};
        // The first node goes to the top level, at the start of the file when
        // written, where a byte-order mark in front of its text would be taken
        // for the file's own: marks and blanks in front of it are dropped.
        if (outline.entries.isEmpty())
            entry.text = line.mid(LeadOfFirstLine(line));
        // A line of nothing but blanks names no node, like an empty line: as a
        // node without text it would be written back as an empty line and lost.
        if (entry.text.isEmpty())
            continue;
        if (outline.entries.isEmpty()) {
            entry.level = 0; // a tree cannot start below its top level
        } else if (entry.level > outline.entries.back().level + 1) {
            outline.invalidLine = int(i + 1);
            break;
        }
        outline.entries.append(std::move(entry));
    }
    return outline;
}

std::string WriteTreeOutline(const QList<OutlineEntry>& entries) {
    QString text;
    for (const OutlineEntry& entry : entries) {
        text += QString(entry.level, u'\t');
        // A line feed in a text would start a node of its own.
        text += QString(entry.text).replace(u'\n', u' ');
        text += QLatin1String("\r\n");
    }
    return EncodeFileText(text);
}

} // namespace kelvo
