#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <string_view>

namespace kelvo {

class TMlb2;

// The columns of a daily capture log, in their order. The log keeps them as
// they are; the history list shows them as its headings, translated there.
inline constexpr std::array<const char*, 5> kCaptureLogColumns = {
    QT_TRANSLATE_NOOP("CaptureLog", "ファイル名"), QT_TRANSLATE_NOOP("CaptureLog", "取得日時"),
    QT_TRANSLATE_NOOP("CaptureLog", "識別名"), QT_TRANSLATE_NOOP("CaptureLog", "取得元アドレス"),
    QT_TRANSLATE_NOOP("CaptureLog", "保存先フォルダ")};

// One row of a daily capture log.
struct CaptureRecord {
    QString fileName;      // ファイル名
    QDateTime captureTime; // 取得日時
    QString identifier;    // 識別名
    QString sourceAddress; // 取得元アドレス
    QString folder;        // 保存先フォルダ, ending in the separator
};

// 2006/05/30 14:03:07
QString CaptureTimeText(const QDateTime& time);

// home + "Logs/" + month text + "/" + day text + ".txt"
QString DailyLogPath(const QString& homeFolder, const QDateTime& time);
QString MonthFolderPath(const QString& homeFolder, const QDateTime& time);
// The log of the day 20060315, built from the text alone: a text that is no
// day gives a path that does not exist.
QString DayLogPath(const QString& homeFolder, const QString& dayText);

// Appends the row to its day's log, creating the log with its header, and the
// month folder and "Logs" when they are missing. A log written by the old
// program in Shift-JIS is rewritten in UTF-8, so one file never mixes the two.
// False when the log cannot be written.
//
// A log this program wrote (UTF-8, the five columns, whole) gets the row's line
// appended, in constant time, with the same bytes the rewrite below would
// give; any other log is rewritten.
bool WriteCaptureLog(const QString& homeFolder, const CaptureRecord& record);

// The same by loading the whole log, adding the row and saving it again.
bool RewriteCaptureLog(const QString& homeFolder, const CaptureRecord& record);

// Loads a daily log into a cleared table as TMlb2::Load does, but row by row:
// a record that is no row of the log's shape (a stray quote, a hand edit)
// costs only its first line, and whole, when given, is set to false; a last
// row cut short by a crash is left out (a reader never sees half a row),
// while one that lacks only its line end is kept; a leading byte-order mark
// is skipped. False when the file cannot be read.
bool LoadCaptureLog(const QString& logPath, TMlb2& table, bool* whole = nullptr);
// The same from the log's bytes, already read from logPath.
void ReadCaptureLog(std::string_view bytes, const QString& logPath, TMlb2& table,
                    bool* whole = nullptr);

} // namespace kelvo
