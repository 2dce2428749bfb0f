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

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

void AddColumns(TMlb2& table) {
    for (const char* column : kCaptureLogColumns)
        table.AddColumn(column);
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
    ConvertTableToUtf8(table);
    table.MoveLast();
    return true;
}

void SetRecord(TMlb2& table, const CaptureRecord& record) {
    const std::array<QString, 5> values = {record.fileName, CaptureTimeText(record.captureTime),
                                           record.identifier, record.sourceAddress, record.folder};
    for (size_t i = 0; i < kCaptureLogColumns.size(); ++i)
        table.SetValue(kCaptureLogColumns[i], EncodeFileText(values[i]));
}

} // namespace

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
