#pragma once

#include <QDateTime>
#include <QString>

#include <array>

namespace kelvo {

// The columns of a daily capture log, in their order.
inline constexpr std::array<const char*, 5> kCaptureLogColumns = {
    "ファイル名", "取得日時", "識別名", "取得元アドレス", "保存先フォルダ"};

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
bool WriteCaptureLog(const QString& homeFolder, const CaptureRecord& record);

} // namespace kelvo
