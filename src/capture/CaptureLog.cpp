#include "capture/CaptureLog.h"

#include "history/DayTexts.h"
#include "platform/FileBytes.h"
#include "platform/PathText.h"
#include "platform/TextCodec.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"

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

// A log that exists but cannot be read is left alone rather than replaced. An
// empty one (no header) is started like a new one.
bool LoadOrStart(TMlb2& table, const QString& logPath) {
    table.Clear();
    if (QFileInfo::exists(logPath) && !LoadCaptureLog(logPath, table))
        return false;
    if (table.ColumnCount() == 0) {
        table.Clear();
        AddColumns(table);
    }
    ConvertTableToUtf8(table);
    table.MoveLast();
    return true;
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

// A last line without its line end is a row cut short by a crash, unless it
// holds a quoted value for every column: then only the line end is missing
// (a hand edit), and the row is kept. False when the text does not end so.
bool ReadWithLastLineWhole(std::string_view text, TMlb2& table) {
    const size_t whole = QuotedFormWholeLines(text);
    std::string_view last = text.substr(whole);
    if (last.ends_with('\r'))
        last.remove_suffix(1);
    // Every row ends in a quote character: a cut after a separator leaves an
    // empty last value, which is no value of the row.
    if (!last.ends_with('"') || std::count(last.begin(), last.end(), '"') % 2 != 0)
        return false;
    std::string completed(text.substr(0, whole));
    completed.append(last).append("\r\n");
    ReadQuotedForm(completed, table);
    // The header line alone, or a row of as many values as the header has.
    return whole == 0 || QuotedFormFieldCount(last) == size_t(table.ColumnCount());
}

} // namespace

bool LoadCaptureLog(const QString& logPath, TMlb2& table) {
    const std::optional<std::string> bytes = ReadFileBytes(LocalPath(logPath));
    if (!bytes)
        return false;
    std::string_view text = *bytes;
    // Another editor's byte-order mark would become part of the first name.
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    table.Clear();
    if (!ReadWithLastLineWhole(text, table)) {
        table.Clear();
        ReadQuotedForm(text.substr(0, QuotedFormWholeLines(text)), table);
    }
    table.SetTableName(TableNameFromPath(LocalPath(logPath)));
    return true;
}

QString CaptureTimeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString MonthFolderPath(const QString& homeFolder, const QDateTime& time) {
    return homeFolder + QStringLiteral("Logs/") + MonthText(time) + u'/';
}

QString DailyLogPath(const QString& homeFolder, const QDateTime& time) {
    return DayLogPath(homeFolder, DayText(time));
}

QString DayLogPath(const QString& homeFolder, const QString& dayText) {
    return homeFolder + QStringLiteral("Logs/") + MonthTextOfDay(dayText) + u'/' + dayText +
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
    if (!LoadOrStart(table, logPath))
        return false;
    table.AppendRow();
    table.MoveNext();
    SetRecord(table, record);
    return table.Save(LocalPath(logPath));
}

} // namespace kelvo
