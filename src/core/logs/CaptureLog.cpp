#include "logs/CaptureLog.h"

#include "bytes/ByteCount.h"
#include "files/FileBytes.h"
#include "logs/DayTexts.h"
#include "session/HomeFiles.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"
#include "text/PathText.h"
#include "text/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace kelvo {
namespace {

void AddColumns(TMlb2& table) {
    for (const char* column : kCaptureLogColumns)
        table.AddColumn(column);
}

bool HasOwnColumns(const TMlb2& table) {
    return std::all_of(kCaptureLogColumns.begin(), kCaptureLogColumns.end(),
                       [&](const char* column) { return table.ColumnNames().IndexOf(column) > 0; });
}

std::array<std::string, 5> RecordValues(const CaptureRecord& record) {
    return {EncodeFileText(record.fileName), EncodeFileText(CaptureTimeText(record.captureTime)),
            EncodeFileText(record.identifier), EncodeFileText(record.sourceAddress),
            EncodeFileText(record.folder)};
}

void SetRecord(TMlb2& table, const CaptureRecord& record) {
    const std::array<std::string, 5> values = RecordValues(record);
    for (size_t i = 0; i < kCaptureLogColumns.size(); ++i)
        table.SetValue(kCaptureLogColumns[i], values[i]);
}

// The header line of a log this program starts.
const std::string& OwnHeader() {
    static const std::string header = [] {
        TMlb2 table;
        AddColumns(table);
        return WriteQuotedForm(table);
    }();
    return header;
}

// The record's line, as the rewrite would write it.
std::string RecordLine(const CaptureRecord& record) {
    TMlb2 table;
    AddColumns(table);
    table.AppendRow();
    table.MoveNext();
    SetRecord(table, record);
    return WriteQuotedFormRow(table, 1);
}

// Every line of an own log ends with a quote character and CR LF; a line cut
// short by a crash cannot, as long as no appended line holds a line break
// before its end (such rows are written by the rewrite, which is atomic).
constexpr std::string_view kLineEnding = "\"\r\n";

bool HoldsLineBreak(const std::array<std::string, 5>& values) {
    return std::any_of(values.begin(), values.end(), [](const std::string& value) {
        return value.find_first_of("\r\n") != std::string::npos;
    });
}

// Takes the log when its header is ours, in UTF-8 (a Shift-JIS header differs
// in its bytes), and its last line is whole.
bool IsWholeOwnLog(const FileEnds& ends) {
    const std::string& header = OwnHeader();
    return ends.head == header && (ends.size == header.size() || ends.tail == kLineEnding);
}

AppendResult AppendRecord(const QString& logPath, const CaptureRecord& record) {
    if (HoldsLineBreak(RecordValues(record)))
        return AppendResult::Declined;
    return AppendToFile(LocalPath(logPath), RecordLine(record), OwnHeader().size(),
                        kLineEnding.size(), IsWholeOwnLog);
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One past the line end that closes the record starting at from, outside
// quoted stretches; npos when no line end does.
size_t RecordEnd(std::string_view text, size_t from) {
    bool inQuotes = false;
    for (size_t at = from; at < text.size(); ++at) {
        if (text[at] == '"')
            inQuotes = !inQuotes;
        else if (text[at] == '\n' && !inQuotes)
            return at + 1;
    }
    return std::string_view::npos;
}

// Every row of a capture log quotes each of its values; a record of any
// other shape is a stray quote's doing. record: without its line end.
bool IsSoundRow(std::string_view record, size_t columns) {
    if (record.ends_with('\r'))
        record.remove_suffix(1);
    if (!record.starts_with('"') || !record.ends_with('"') || CountByte(record, '"') % 2 != 0)
        return false;
    // Separators inside values are rare: counting them all is the quick test.
    return CountByte(record, ';') + 1 == columns || QuotedFormFieldCount(record) == columns;
}

// Where the sound row starting at from ends (one past its line end); npos
// when the record there is no sound row.
size_t SoundRowEnd(std::string_view text, size_t from, size_t columns) {
    const size_t lineEnd = text.find('\n', from);
    if (lineEnd == std::string_view::npos)
        return lineEnd;
    const std::string_view line = text.substr(from, lineEnd - from);
    // Only a value with a line break in it spans lines.
    const size_t end = CountByte(line, '"') % 2 == 0 ? lineEnd + 1 : RecordEnd(text, from);
    return end != std::string_view::npos && IsSoundRow(text.substr(from, end - 1 - from), columns)
               ? end
               : std::string_view::npos;
}

// The log's text less what is not a sound row. A record that is none costs
// its first line only: reading goes on at the next line, and damaged is set.
// The last line without a line end is a row cut short by a crash, unless it
// is a sound row that lacks only its line end (a hand edit). Gives the text
// itself when nothing was left out or added, else storage.
std::string_view SoundRows(std::string_view text, std::string& storage, bool& damaged) {
    const size_t headerEnd = text.find('\n');
    if (headerEnd == std::string_view::npos) // the header alone, unless cut short
        return IsSoundRow(text, QuotedFormFieldCount(text)) ? storage.assign(text).append("\r\n")
                                                            : std::string_view();
    const size_t columns = QuotedFormFieldCount(text.substr(0, headerEnd));
    size_t runStart = 0; // the first byte not yet in storage
    size_t at = headerEnd + 1;
    while (at < text.size()) {
        const size_t end = SoundRowEnd(text, at, columns);
        if (end != std::string_view::npos) {
            at = end;
            continue;
        }
        const size_t lineEnd = text.find('\n', at);
        if (lineEnd == std::string_view::npos)
            break;
        damaged = true;
        storage.append(text.substr(runStart, at - runStart));
        at = runStart = lineEnd + 1;
    }
    const bool lastLineKept = at < text.size() && IsSoundRow(text.substr(at), columns);
    if (runStart == 0 && !lastLineKept)
        return text.substr(0, at);
    storage.append(text.substr(runStart, (lastLineKept ? text.size() : at) - runStart));
    if (lastLineKept)
        storage.append("\r\n");
    return storage;
}

// No log yet, an empty one, or the start of a header this program began to
// write: anything else without a header is no log of ours to replace.
bool IsStartOfOwnLog(const QString& logPath) {
    if (!QFileInfo::exists(logPath))
        return true;
    const std::optional<std::string> bytes = ReadFileBytes(LocalPath(logPath));
    return bytes && OwnHeader().starts_with(*bytes);
}

// Appends the row's line after whatever the log holds, starting a new line
// where its last one lacks the line end.
bool AppendToDamagedLog(const QString& logPath, const CaptureRecord& record) {
    const std::string line = RecordLine(record);
    const auto endsInLineEnd = [](const FileEnds& ends) {
        return ends.size == 0 || ends.tail.ends_with('\n');
    };
    AppendResult result = AppendToFile(LocalPath(logPath), line, 0, 1, endsInLineEnd);
    if (result == AppendResult::Declined)
        result = AppendToFile(LocalPath(logPath), "\r\n" + line, 0, 1,
                              [&](const FileEnds& ends) { return !endsInLineEnd(ends); });
    return result == AppendResult::Appended;
}

// The usual log, in one reading: whole to its last line end, and every line
// end the end of a row, so no quote joined lines into one value. False when
// the log is not so, and the table must be read again row by row.
bool ReadWholeLog(std::string_view text, TMlb2& table) {
    if (!text.ends_with('\n') || QuotedFormWholeLines(text) != text.size())
        return false;
    ReadQuotedForm(text, table);
    return CountByte(text, '\n') == size_t(table.RowCount()) + 1;
}

} // namespace

bool LoadCaptureLog(const QString& logPath, TMlb2& table, bool* whole) {
    const std::optional<std::string> bytes = ReadFileBytes(LocalPath(logPath));
    if (!bytes)
        return false;
    ReadCaptureLog(*bytes, logPath, table, whole);
    return true;
}

void ReadCaptureLog(std::string_view text, const QString& logPath, TMlb2& table, bool* whole) {
    // Another editor's byte-order mark would become part of the first name.
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    bool damaged = false;
    table.Clear();
    if (!ReadWholeLog(text, table)) {
        std::string storage;
        table.Clear();
        ReadQuotedForm(SoundRows(text, storage, damaged), table);
    }
    if (whole)
        *whole = !damaged;
    table.SetTableName(TableNameFromPath(LocalPath(logPath)));
}

QString CaptureTimeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString MonthFolderPath(const QString& homeFolder, const QDateTime& time) {
    return LogsFolderPath(homeFolder) + MonthText(time) + u'/';
}

QString DailyLogPath(const QString& homeFolder, const QDateTime& time) {
    return DayLogPath(homeFolder, DayText(time));
}

QString DayLogPath(const QString& homeFolder, const QString& dayText) {
    return LogsFolderPath(homeFolder) + MonthTextOfDay(dayText) + u'/' + dayText +
           QStringLiteral(".txt");
}

bool WriteCaptureLog(const QString& homeFolder, const CaptureRecord& record) {
    if (AppendRecord(DailyLogPath(homeFolder, record.captureTime), record) ==
        AppendResult::Appended)
        return true;
    return RewriteCaptureLog(homeFolder, record);
}

bool RewriteCaptureLog(const QString& homeFolder, const CaptureRecord& record) {
    const QString logPath = DailyLogPath(homeFolder, record.captureTime);
    // The row is never lost to a month folder deleted by hand.
    QDir().mkpath(MonthFolderPath(homeFolder, record.captureTime));
    TMlb2 table;
    bool whole = true;
    // A log that exists but cannot be read is left alone rather than replaced.
    if (QFileInfo::exists(logPath) && !LoadCaptureLog(logPath, table, &whole))
        return false;
    if (table.ColumnCount() == 0) {
        if (!IsStartOfOwnLog(logPath))
            return false;
        table.Clear();
        AddColumns(table);
    }
    ConvertTableToUtf8(table);
    // Another program's table would get a row without values.
    if (!HasOwnColumns(table))
        return false;
    // What a stray quote hid from the reading would be lost to a rewrite.
    if (!whole)
        return AppendToDamagedLog(logPath, record);
    table.MoveLast();
    table.AppendRow();
    table.MoveNext();
    SetRecord(table, record);
    return table.Save(LocalPath(logPath));
}

} // namespace kelvo
