#include "destinations/DestinationFiles.h"
#include "destinations/DestinationList.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

class DestinationFilesTest : public ::testing::Test {
protected:
    QString Home() const { return dir_.path() + '/'; }
    void Write(const QString& name, const QByteArray& bytes) {
        ASSERT_TRUE(testing::WriteBytes(Home() + name, bytes)) << name.toStdString();
    }
    QByteArray Read(const QString& name) { return testing::ReadBytes(Home() + name); }

    QTemporaryDir dir_;
    DestinationList list_;
};

TEST_F(DestinationFilesTest, FirstRunStartsWithTheHomeFolder) {
    Write("ListView.txt", "\"識別名\";\"保存先フォルダ\"\r\n\"old\";\"/old/\"\r\n");
    EXPECT_TRUE(LoadDestinations(list_, Home(), false, dir_.path()).problems.isEmpty());
    EXPECT_EQ(list_.All(), (QList<SaveDestination>{{"初期フォルダ", Home()}}));
}

TEST_F(DestinationFilesTest, SavedListLoadsBackInItsOwnOrder) {
    const QList<SaveDestination> destinations = {
        {"壁紙", "/data/壁紙/"}, {"b; \"q\"", "/b/"}, {"A", "/a/"}};
    list_.Reset(destinations);
    ASSERT_EQ(SaveDestinations(list_, Home()), "");
    EXPECT_EQ(Read("TreeView.txt"), "壁紙\r\nb; \"q\"\r\nA\r\n");

    DestinationList loaded;
    EXPECT_TRUE(LoadDestinations(loaded, Home(), true, "/default").problems.isEmpty());
    EXPECT_EQ(loaded.All(), destinations);
}

TEST_F(DestinationFilesTest, MissingOrEmptyListFileFallsBackToTheDefault) {
    EXPECT_TRUE(LoadDestinations(list_, Home(), true, "/default").problems.isEmpty());
    EXPECT_EQ(list_.All(), (QList<SaveDestination>{{"初期フォルダ", "/default/"}}));
    Write("ListView.txt", "\"識別名\";\"保存先フォルダ\"\r\n");
    list_.Reset({});
    LoadDestinations(list_, Home(), true, "/default/");
    EXPECT_EQ(list_.All(), (QList<SaveDestination>{{"初期フォルダ", "/default/"}}));
}

TEST_F(DestinationFilesTest, ReadsShiftJisListsByColumnName) {
    // Columns in the other order; "画像" and "C:\画像\" in Shift-JIS.
    Write("ListView.txt", "\"\x95\xDB\x91\xB6\x90\xE6\x83\x74\x83\x48\x83\x8B\x83\x5F\";"
                          "\"\x8E\xAF\x95\xCA\x96\xBC\"\r\n"
                          "\"C:\\\x89\xE6\x91\x9C\\\";\"\x89\xE6\x91\x9C\"\r\n");
    EXPECT_TRUE(LoadDestinations(list_, Home(), true, "/default").problems.isEmpty());
    EXPECT_EQ(list_.All(), (QList<SaveDestination>{{"画像", "C:\\画像\\"}}));
}

// A list file that cannot be read whole is kept, said, and left for the user.
TEST_F(DestinationFilesTest, AListFileWithoutItsHeaderOrUnreadableIsKept) {
    Write("ListView.txt", "\"壁紙\";\"/data/壁紙/\"\r\n\"猫\";\"/data/猫/\"\r\n");
    DestinationsLoaded loaded = LoadDestinations(list_, Home(), true, "/default");
    EXPECT_TRUE(loaded.listFileKept);
    ASSERT_EQ(loaded.problems.size(), 1);
    EXPECT_TRUE(loaded.problems[0].contains("ListView.txt")) << loaded.problems[0].toStdString();
    EXPECT_EQ(list_.All(), (QList<SaveDestination>{{"初期フォルダ", "/default/"}}));

    QFile::remove(Home() + "ListView.txt");
    ASSERT_TRUE(QDir(Home()).mkdir("ListView.txt"));
    EXPECT_TRUE(LoadDestinations(list_, Home(), true, "/default").listFileKept);

    // An emptied file holds nothing to keep.
    QDir(Home()).rmdir("ListView.txt");
    Write("ListView.txt", "");
    loaded = LoadDestinations(list_, Home(), true, "/default");
    EXPECT_FALSE(loaded.listFileKept);
    EXPECT_TRUE(loaded.problems.isEmpty());
}

TEST_F(DestinationFilesTest, TreeFileIsOnlyReportedOn) {
    list_.Reset({{"a", "/a/"}, {"b", "/b/"}});
    ASSERT_EQ(SaveDestinations(list_, Home()), "");
    Write("TreeView.txt", "a\r\nother\r\n\t\tdeep\r\n");
    DestinationList loaded;
    const QString error = LoadDestinations(loaded, Home(), true, "/default").problems.join("");
    EXPECT_TRUE(error.contains("TreeView.txt")) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral(" 3 行目"))) << error.toStdString();
    EXPECT_EQ(loaded.All(), list_.All());
}

TEST_F(DestinationFilesTest, UnwritableTreeFileIsReportedAfterTheList) {
    ASSERT_TRUE(QDir(Home()).mkdir("TreeView.txt"));
    list_.Reset({{"a", "/a/"}});
    EXPECT_EQ(SaveDestinations(list_, Home()),
              QStringLiteral("ファイル %1TreeView.txt を作成できません").arg(Home()));
    EXPECT_TRUE(Read("ListView.txt").contains("\"/a/\""));
}

} // namespace
} // namespace kelvo
