#include "capture/CaptureLog.h"

#include "history/DayTexts.h"
#include "platform/TextCodec.h"
#include "table/TMlb2.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>

namespace kelvo {
namespace {

constexpr std::array<const char*, 5> kColumns = {"ファイル名", "取得日時", "識別名",
                                                 "取得元アドレス", "保存先フォルダ"};

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

void AddColumns(TMlb2& table) {
    for (const char* column : kColumns)
        table.AddColumn(column);
}

// Rewrites every text of a log from Shift-JIS to UTF-8.
void ConvertToUtf8(TMlb2& table) {
    if (DetectTableEncoding(table) == TextEncoding::Utf8)
        return;
    TMlb2 converted;
    for (int n = 1; n <= table.ColumnCount(); ++n) {
        converted.AddColumn(
            EncodeFileText(DecodeText(*table.GetColumnName(n), TextEncoding::ShiftJis)));
        converted.SetColumnType(n, *table.GetColumnType(n));
    }
    for (int r = 1; r <= table.RowCount(); ++r) {
        converted.AppendRow();
        converted.MoveLast();
        table.MoveTo(r);
        for (int n = 1; n <= table.ColumnCount(); ++n) {
            if (const Text value = table.GetValueAt(n))
                converted.SetValueAt(n, EncodeFileText(DecodeText(*value, TextEncoding::ShiftJis)));
        }
    }
    table = std::move(converted);
}

// A log that exists but cannot be read is left alone rather than replaced.
bool LoadOrStart(TMlb2& table, const QString& logPath) {
    table.Clear();
    if (!QFileInfo::exists(logPath)) {
        AddColumns(table);
        return true;
    }
    if (!table.Load(LocalPath(logPath)))
        return false;
    ConvertToUtf8(table);
    table.MoveLast();
    return true;
}

void SetRecord(TMlb2& table, const CaptureRecord& record) {
    const std::array<QString, 5> values = {record.fileName, CaptureTimeText(record.captureTime),
                                           record.identifier, record.sourceAddress, record.folder};
    for (size_t i = 0; i < kColumns.size(); ++i)
        table.SetValue(kColumns[i], EncodeFileText(values[i]));
}

} // namespace

QString CaptureTimeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString MonthFolderPath(const QString& homeFolder, const QDateTime& time) {
    return homeFolder + QStringLiteral("Logs/") + MonthText(time) + u'/';
}

QString DailyLogPath(const QString& homeFolder, const QDateTime& time) {
    return MonthFolderPath(homeFolder, time) + DayText(time) + QStringLiteral(".txt");
}

bool WriteCaptureLog(const QString& homeFolder, const CaptureRecord& record) {
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
