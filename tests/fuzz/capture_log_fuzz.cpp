// Reads arbitrary bytes as the rows of a day's log under Kelvo's own header,
// as a hand edit or another program may leave them, and then with one more
// capture's row appended after them, as a capture does to a damaged log.
// The appended row is always read, whole, as the last row, and it costs
// nothing of what was read before it: a stray quote or a cut line costs at
// most the line it stands in, and a log not read whole is never rewritten.

#include "Checks.h"
#include "logs/CaptureLog.h"
#include "support/Files.h"
#include "table/TMlb2.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvo::fuzz {
namespace {

const QDateTime kDay(QDate(2006, 5, 30), QTime(14, 3, 7));

QByteArray LogBytes(const QString& home) {
    return testing::ReadBytes(DailyLogPath(home, kDay));
}

void WriteLog(const QString& home, const QByteArray& bytes) {
    Require(testing::WriteBytes(DailyLogPath(home, kDay), bytes), "cannot write the log");
}

int RowsOf(const QString& home, TMlb2& table, bool* whole = nullptr) {
    Require(LoadCaptureLog(DailyLogPath(home, kDay), table, whole), "a log that exists is read");
    return table.RowCount();
}

void CheckLog(const QByteArray& rows, const QString& home) {
    // Kelvo's own header, as a first capture writes it.
    QFile::remove(DailyLogPath(home, kDay));
    const CaptureRecord first{"first.jpg", kDay, "壁紙", "https://example.com/", "/pictures/"};
    Require(WriteCaptureLog(home, first), "a new log is written");
    const QByteArray header = LogBytes(home).split('\n').value(0) + '\n';
    QByteArray before = header + rows;
    if (!before.endsWith('\n'))
        before += "\r\n";
    WriteLog(home, before);
    TMlb2 table;
    bool whole = true;
    const int rowsBefore = RowsOf(home, table, &whole);

    const CaptureRecord next{"next.jpg", kDay, "識別", "https://example.org/p", "/pictures/"};
    Require(WriteCaptureLog(home, next), "a row is added to any log with Kelvo's header");
    // Only a log read whole may be rewritten.
    Require(whole || LogBytes(home).startsWith(before), "a damaged log was rewritten");
    TMlb2 after;
    Require(RowsOf(home, after) == rowsBefore + 1, "the new row cost an earlier row, or was lost");
    after.MoveLast();
    Require(after.GetValue("ファイル名").value_or("") == "next.jpg" &&
                after.GetValue("取得元アドレス").value_or("") == "https://example.org/p",
            "the new row is not read as written");
}

} // namespace
} // namespace kelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir temp;
    static const QString home = temp.path() + QStringLiteral("/");
    static const bool ready = QDir().mkpath(kelvo::MonthFolderPath(home, kelvo::fuzz::kDay));
    kelvo::fuzz::Require(ready, "no month folder");
    kelvo::fuzz::CheckLog(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), home);
    return 0;
}
