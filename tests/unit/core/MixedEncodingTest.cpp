// One byte that is not UTF-8 (a Latin-1 comment, a hand edit, the old
// program's Shift-JIS) garbles nothing around it: every reader decides each
// line or value on its own, and what is written back keeps the rest as it was.

#include "logs/CaptureLog.h"
#include "logs/DayLog.h"
#include "session/SettingsFile.h"
#include "support/Files.h"
#include "text/TreeOutline.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

QString Text(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

TEST(MixedEncoding, ASettingsFileKeepsItsUtf8FolderBesideALatin1Comment) {
    SettingsFile settings("/home/u/");
    settings.ReadBytes("; caf\xE9 comment\r\n[Form]\r\nDefFolder=/home/u/写真/\r\n"
                       "DefSiki=\x95\x5C\r\n[Other]\r\nKey=\xE9t\xE9\r\n");
    EXPECT_EQ(settings.String(StringSetting::DestinationFolder), "/home/u/写真/");
    EXPECT_EQ(settings.String(StringSetting::DestinationIdentifier), "表")
        << "the old program's Shift-JIS";
    const std::string written = settings.FileBytes();
    EXPECT_NE(written.find("DefFolder=/home/u/写真/\r\n"), std::string::npos);
    EXPECT_NE(written.find("DefSiki=表\r\n"), std::string::npos);
}

TEST(MixedEncoding, AHistoryTreeKeepsItsMonthsBesideOneOddLine) {
    const TreeOutline outline =
        ReadTreeOutline("2006年05月\r\n\t20060530\r\n\x96\xBC\r\n2006年06月\r\n");
    ASSERT_EQ(outline.entries.size(), 4);
    EXPECT_EQ(outline.entries[0].text, "2006年05月");
    EXPECT_EQ(outline.entries[2].text, "名");
    EXPECT_EQ(outline.entries[3].text, "2006年06月");
}

TEST(MixedEncoding, ADayLogKeepsItsUtf8RowsBesideOneOddValueAcrossARewrite) {
    QTemporaryDir home;
    const QString folder = home.path() + "/";
    const QDateTime time(QDate(2006, 5, 30), QTime(14, 3, 7));
    CaptureRecord first{"写真.jpg", time, "壁紙", "https://example.com/", "/home/u/写真/"};
    ASSERT_TRUE(WriteCaptureLog(folder, first));
    // A hand edit leaves one Latin-1 byte in a second row.
    ASSERT_TRUE(
        testing::AppendBytes(DailyLogPath(folder, time),
                             "\"caf\xE9.jpg\";\"2006/05/30 14:04:00\";\"\";\"\";\"/tmp/\"\r\n"));
    CaptureRecord third = first;
    third.fileName = "\n改行.jpg"; // a line break: the log is rewritten, not appended to
    ASSERT_TRUE(WriteCaptureLog(folder, third));

    const DayLog day = DayLog::Read(DailyLogPath(folder, time));
    ASSERT_EQ(day.RowCount(), 3);
    EXPECT_EQ(Text(day.Cell(0, FileNameColumn)), "写真.jpg");
    EXPECT_EQ(Text(day.Cell(0, FolderColumn)), "/home/u/写真/");
    EXPECT_EQ(Text(day.Cell(1, FileNameColumn)).size(), 8) << "one character for the odd byte";
    EXPECT_EQ(Text(day.Cell(2, FileNameColumn)), "\n改行.jpg");
}

} // namespace
} // namespace kelvo
