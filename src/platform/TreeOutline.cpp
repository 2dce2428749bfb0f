#include "platform/TreeOutline.h"

#include "platform/TextCodec.h"

#include <QStringView>

namespace kelvo {

namespace {

constexpr char16_t kByteOrderMark = u'\uFEFF';

// CR LF ends a line; a lone LF, as Linux editors write it, does too.
QStringList SplitLines(QString text) {
    if (text.startsWith(kByteOrderMark))
        text.remove(0, 1);
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

qsizetype IndentOf(QStringView line) {
    qsizetype indent = 0;
    while (indent < line.size() && (line[indent] == u'\t' || line[indent] == u' '))
        ++indent;
    return indent;
}

} // namespace

TreeOutline ReadTreeOutline(std::string_view bytes) {
    TreeOutline outline;
    const QStringList lines = SplitLines(DecodeFileText(bytes));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty())
            continue;
        const qsizetype indent = IndentOf(line);
        OutlineEntry entry{int(indent), line.mid(indent)};
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
        text += entry.text;
        text += QLatin1String("\r\n");
    }
    return EncodeFileText(text);
}

} // namespace kelvo
