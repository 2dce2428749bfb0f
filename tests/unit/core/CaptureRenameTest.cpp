#include "history/CaptureRename.h"
#include "logs/DayLog.h"
#include "support/CapturedHome.h"
#include "support/Files.h"
#include "support/Times.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::At;
using testing::ReadBytes;
using testing::ReadFile;

class CaptureRenameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        captured.Capture("photo.jpg", day, "https://example.com/");
        captured.Capture("other.jpg", day.addSecs(60));
    }

    CaptureRenaming Renaming(const QString& newName) const {
        return {captured.LogOf(day), captured.pictures, "photo.jpg", newName};
    }

    QStringList LoggedNames() const {
        const DayLog log = DayLog::Read(captured.LogOf(day));
        QStringList names;
        for (int row = 0; row < log.RowCount(); ++row)
            names << QString::fromStdString(std::string(log.Cell(row, FileNameColumn)));
        return names;
    }

    QTemporaryDir temp;
    testing::CapturedHome captured{temp.path()};
    QDateTime day = At(2006, 3, 15, 12, 0, 0);
};

TEST_F(CaptureRenameTest, RenamesTheFileAndItsLogRowTogether) {
    EXPECT_EQ(RenameCapture(Renaming("夕焼け.JPG")), RenameOutcome::Renamed);
    EXPECT_FALSE(QFileInfo::exists(captured.pictures + "photo.jpg"));
    EXPECT_TRUE(QFileInfo::exists(captured.pictures + "夕焼け.JPG"));
    EXPECT_EQ(LoggedNames(), QStringList({"夕焼け.JPG", "other.jpg"}));
    // The rest of the row stays.
    const DayLog log = DayLog::Read(captured.LogOf(day));
    EXPECT_EQ(log.Cell(0, AddressColumn), "https://example.com/");
}

TEST_F(CaptureRenameTest, EveryRowNamingTheFileIsRewritten) {
    // Deleted and captured again under the same name: two rows, one file.
    QFile::remove(captured.pictures + "photo.jpg");
    captured.Capture("photo.jpg", day.addSecs(120));
    ASSERT_EQ(LoggedNames(), QStringList({"photo.jpg", "other.jpg", "photo.jpg"}));
    EXPECT_EQ(RenameCapture(Renaming("sunset.jpg")), RenameOutcome::Renamed);
    EXPECT_EQ(LoggedNames(), QStringList({"sunset.jpg", "other.jpg", "sunset.jpg"}));
}

TEST_F(CaptureRenameTest, RefusesAnotherExtensionATakenNameAndBadNames) {
    const QByteArray logBefore = ReadBytes(captured.LogOf(day));
    EXPECT_EQ(RenameCapture(Renaming("photo.png")), RenameOutcome::ExtensionChanged);
    EXPECT_EQ(RenameOutcomeText(RenameOutcome::ExtensionChanged, Renaming("photo.png")),
              "拡張子の変更は出来ません。");
    EXPECT_EQ(RenameCapture(Renaming("photo")), RenameOutcome::ExtensionChanged);
    EXPECT_EQ(RenameCapture(Renaming("other.jpg")), RenameOutcome::NameTaken);
    EXPECT_EQ(RenameCapture(Renaming("../away.jpg")), RenameOutcome::InvalidName);
    EXPECT_EQ(RenameCapture(Renaming("two\nlines.jpg")), RenameOutcome::InvalidName);
    EXPECT_EQ(RenameCapture(Renaming("photo.jpg")), RenameOutcome::Unchanged);
    EXPECT_FALSE(RenameOutcomeText(RenameOutcome::NameTaken, Renaming("other.jpg")).isEmpty());
    // Nothing moved, nothing rewritten.
    const std::optional<QByteArray> other = ReadFile(captured.pictures + "other.jpg");
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(*other, "picture bytes");
    EXPECT_TRUE(QFileInfo::exists(captured.pictures + "photo.jpg"));
    const std::optional<QByteArray> log = ReadFile(captured.LogOf(day));
    ASSERT_TRUE(log.has_value());
    EXPECT_EQ(*log, logBefore);
}

TEST_F(CaptureRenameTest, ALogWithADamagedLineIsNeverRewritten) {
    ASSERT_TRUE(
        testing::AppendBytes(captured.LogOf(day), "\"stray\"quote.jpg\";\"\";\"\";\"\";\"\"\r\n"));
    const QByteArray before = ReadBytes(captured.LogOf(day));
    const CaptureRenaming renaming = Renaming("sunset.jpg");
    EXPECT_EQ(RenameCapture(renaming), RenameOutcome::LogDamaged);
    EXPECT_TRUE(QFileInfo::exists(captured.pictures + "photo.jpg"));
    const std::optional<QByteArray> after = ReadFile(captured.LogOf(day));
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(*after, before);
    EXPECT_TRUE(RenameOutcomeText(RenameOutcome::LogDamaged, renaming).contains("読めない行"));
}

TEST_F(CaptureRenameTest, AMissingFileOrAnUnwritableLogLeavesTheFileItsName) {
    QFile::rename(captured.pictures + "other.jpg", captured.pictures + "moved.jpg");
    CaptureRenaming missing = Renaming("x.jpg");
    missing.oldName = "other.jpg";
    EXPECT_EQ(RenameCapture(missing), RenameOutcome::FileMissing);

    // A log that cannot be read back cannot be rewritten either.
    const QString log = captured.LogOf(day);
    QFile::remove(log);
    QDir().mkpath(log);
    EXPECT_EQ(RenameCapture(Renaming("sunset.jpg")), RenameOutcome::LogNotWritten);
    EXPECT_TRUE(QFileInfo::exists(captured.pictures + "photo.jpg"));
    EXPECT_FALSE(QFileInfo::exists(captured.pictures + "sunset.jpg"));
}

} // namespace
} // namespace kelvo
