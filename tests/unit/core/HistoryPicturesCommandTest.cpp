#include "commands/CommandOutput.h"
#include "commands/HistoryCommand.h"
#include "files/SourceAttributes.h"
#include "support/CapturedHome.h"
#include "support/Files.h"
#include "support/PictureHashes.h"
#include "support/Times.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace kelvo {
namespace {

using testing::At;

// Pictures told apart by their bytes alone: the photo and a resized copy hash
// two bits apart, anything else far from both.
std::optional<PictureHash> FakePictureHash(const QString& path) {
    static const std::map<QByteArray, PictureHash> kHashes = {
        {"photo", testing::Hash(0x0)},
        {"photo, resized", testing::Hash(0x3)},
        {"unrelated", testing::Hash(~0ull)}};
    const auto found = kHashes.find(testing::ReadBytes(path));
    if (found == kHashes.end())
        return std::nullopt;
    return found->second;
}

class HistoryPicturesCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        captured.Capture("photo.jpg", At(2006, 3, 30, 9, 0, 0), {}, "photo");
        captured.Capture("unrelated.jpg", At(2006, 3, 31, 9, 0, 0), {}, "unrelated");
        captured.Capture("resized.jpg", At(2006, 4, 1, 9, 0, 0), {}, "photo, resized");
        captured.Capture("again.jpg", At(2006, 4, 2, 9, 0, 0), {}, "photo");
    }

    int Run(const QStringList& args) {
        errors.clear();
        CommandOutput out;
        QTextStream err(&errors);
        const int code = RunHistoryCommand(args, captured.home, out, err, FakePictureHash);
        err.flush();
        output = QString::fromUtf8(out.Gathered().data(), qsizetype(out.Gathered().size()));
        return code;
    }

    QString Line(const QString& day, const QString& name, const QString& time) const {
        return day + "\t" + name + "\t" + time + "\t壁紙\t\t" + captured.pictures + "\n";
    }

    QString File(const QString& name, const QByteArray& bytes) const {
        const QString path = temp.path() + "/" + name;
        testing::WriteBytes(path, bytes);
        return path;
    }

    QTemporaryDir temp;
    testing::CapturedHome captured{temp.path()};
    QString output, errors;
};

TEST_F(HistoryPicturesCommandTest, SameListsTheBytesAndSimilarTheLookalikesMostAlikeFirst) {
    const QString photo = File("mine.jpg", "photo");
    const QString photoLines = Line("20060330", "photo.jpg", "2006/03/30 09:00:00") +
                               Line("20060402", "again.jpg", "2006/04/02 09:00:00");
    EXPECT_EQ(Run({"--same", photo}), 0) << errors.toStdString();
    EXPECT_EQ(output, photoLines);
    EXPECT_EQ(Run({"--similar", photo}), 0) << errors.toStdString();
    EXPECT_EQ(output, photoLines + Line("20060401", "resized.jpg", "2006/04/01 09:00:00"));

    EXPECT_EQ(Run({"--same", File("new.jpg", "never captured")}), 1);
    EXPECT_TRUE(errors.startsWith("kelvo history: no capture of ")) << errors.toStdString();
    EXPECT_EQ(Run({"--similar"}), 2);
}

// Its folder and name no longer say which capture saved it.
TEST_F(HistoryPicturesCommandTest, AMovedFileIsFoundByItsBytesAndALinkedOneByItsRealPath) {
    // The index learns the file where it was saved (here by a lookup; at
    // the capture itself in the window and kelvo capture).
    ASSERT_EQ(Run({"--same", captured.pictures + "unrelated.jpg"}), 0) << errors.toStdString();
    const QString moved = temp.path() + "/moved.jpg";
    ASSERT_TRUE(QFile::rename(captured.pictures + "unrelated.jpg", moved));
    EXPECT_EQ(Run({"--file", moved}), 0) << errors.toStdString();
    EXPECT_EQ(output, Line("20060331", "unrelated.jpg", "2006/03/31 09:00:00"));

    // Saved into a destination reached through a link, asked for by its real path.
    const QString linked = temp.path() + "/linked/";
    ASSERT_TRUE(QFile::link(captured.pictures, temp.path() + "/linked"));
    captured.destination.Set("壁紙", linked);
    captured.Capture("through.jpg", At(2006, 4, 3, 9, 0, 0), {}, "through a link");
    EXPECT_EQ(Run({"--file", captured.pictures + "through.jpg"}), 0) << errors.toStdString();
    EXPECT_EQ(output, "20060403\tthrough.jpg\t2006/04/03 09:00:00\t壁紙\t\t" + linked + "\n");
}

TEST_F(HistoryPicturesCommandTest, AFileNoCaptureSavedTellsTheSourceItCarries) {
    const QString download = File("download.jpg", "downloaded");
    if (WriteSourceAttributes(testing::Native(download),
                              {"https://img.example/d.jpg", "https://example.org/page"}) !=
        AttributesResult::Written)
        GTEST_SKIP() << "no user attributes where the tests' temporary files are";
    EXPECT_EQ(Run({"--file", download}), 1);
    EXPECT_EQ(errors, "kelvo history: no capture saved " + download +
                          "; the file says it came from https://img.example/d.jpg on the page "
                          "https://example.org/page\n");
}

} // namespace
} // namespace kelvo
