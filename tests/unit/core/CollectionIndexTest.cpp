#include "collection/CollectionIndex.h"
#include "history/IndexSync.h"
#include "logs/CaptureLog.h"
#include "support/FileReads.h"
#include "support/Files.h"
#include "support/PictureHashes.h"
#include "support/Times.h"
#include "text/PathText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kelvo {
namespace {

using testing::At;
using testing::FileReads;
using testing::Hash;
using testing::Native;
using testing::WriteBytes;

// "row path state" of each capture found, as GoogleTest prints them readably.
using Lines = std::vector<std::string>;

const char* StateText(FileState state) {
    switch (state) {
    case FileState::Present:
        return "present";
    case FileState::Gone:
        return "gone";
    case FileState::Changed:
        return "changed";
    }
    return "?";
}

template <typename Found> Lines Described(const std::vector<Found>& found) {
    Lines lines;
    for (const FoundCapture& one : found)
        lines.push_back(QStringLiteral("%1/%2 %3 %4")
                            .arg(one.capture.day)
                            .arg(one.capture.row)
                            .arg(FileNamePart(one.capture.path))
                            .arg(QString::fromUtf8(StateText(one.state)))
                            .toStdString());
    return lines;
}

QByteArray Sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

const QDateTime kFirstDay = At(2024, 3, 1, 10, 0, 0);
const QDateTime kSecondDay = At(2024, 3, 2, 11, 30, 0);

class CollectionIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        root = QFileInfo(temp.path()).canonicalFilePath() + u'/';
        home = root + "home/";
        pictures = root + "pictures/";
        QDir().mkpath(home);
        QDir().mkpath(pictures);
    }

    // Saves the bytes under the name and logs the capture; the saved path.
    QString Capture(const QString& name, const QByteArray& bytes, const QDateTime& at,
                    const QString& folder = {}) {
        const QString into = folder.isEmpty() ? pictures : folder;
        EXPECT_TRUE(WriteBytes(into + name, bytes));
        EXPECT_TRUE(WriteCaptureLog(home, {name, at, "壁紙", "https://example.com/" + name, into}));
        return into + name;
    }

    std::unique_ptr<CollectionIndex> Open(CollectionIndex::Access access = Access::ReadWrite) {
        QString error;
        std::unique_ptr<CollectionIndex> index = CollectionIndex::Open(home, access, &error);
        EXPECT_TRUE(index) << error.toStdString();
        return index;
    }

    // Pictures by file name; the hasher reads no file.
    PictureHasher Hasher() {
        return [this](const QString& path) -> std::optional<PictureHash> {
            ++hashed;
            const auto hash = pictureHashes.constFind(FileNamePart(path));
            return hash == pictureHashes.cend() ? std::nullopt : std::optional(*hash);
        };
    }

    SyncReport SyncAll(CollectionIndex& index, const std::atomic<bool>* cancelled = nullptr) {
        IndexSync sync(index, home, Hasher());
        sync.SetCancel(cancelled);
        const SyncReport report = sync.SyncAll();
        EXPECT_TRUE(report.Ok()) << report.error.toStdString();
        return report;
    }

    // The day's log as written anew with these names, one capture a minute.
    void RelogDay(const QDateTime& day, const QStringList& names) {
        ASSERT_TRUE(QFile::remove(DailyLogPath(home, day)));
        for (qsizetype i = 0; i < names.size(); ++i)
            ASSERT_TRUE(WriteCaptureLog(
                home, {names[i], day.addSecs(60 * i), "壁紙", "https://example.com/", pictures}));
    }

    using Access = CollectionIndex::Access;

    QTemporaryDir temp;
    QString root, home, pictures;
    QHash<QString, PictureHash> pictureHashes;
    int hashed = 0;
};

TEST_F(CollectionIndexTest, FindsEveryCaptureOfAContentWithItsLogRow) {
    Capture("a.jpg", "one picture", kFirstDay);
    Capture("b.jpg", "another picture", kFirstDay);
    Capture("again.jpg", "one picture", kSecondDay);
    auto index = Open();
    EXPECT_TRUE(index->Remade());
    SyncAll(*index);

    const auto found = index->WithContent(Sha256("one picture"));
    EXPECT_EQ(Described(found),
              (Lines{"20240301/0 a.jpg present", "20240302/0 again.jpg present"}));
    const IndexedCapture& first = found.at(0).capture;
    EXPECT_EQ(first.path, pictures + "a.jpg");
    EXPECT_EQ(first.captureTime, "2024/03/01 10:00:00");
    EXPECT_EQ(first.identifier, "壁紙");
    EXPECT_EQ(first.sourceAddress, "https://example.com/a.jpg");
    EXPECT_EQ(Described(index->AtPath(pictures + "b.jpg")), Lines{"20240301/1 b.jpg present"});
    EXPECT_TRUE(index->WithContent(Sha256("never captured")).empty());
}

TEST_F(CollectionIndexTest, FindsSimilarPicturesNearestFirst) {
    pictureHashes = {{"near.jpg", Hash(0b1)}, {"nearer.jpg", Hash(0b0)}, {"far.jpg", Hash(0xFFFF)}};
    Capture("far.jpg", "far", kFirstDay);
    Capture("near.jpg", "near", kFirstDay);
    Capture("nearer.jpg", "nearer", kFirstDay);
    Capture("undecodable.jpg", "no picture", kFirstDay);
    auto index = Open();
    SyncAll(*index);

    const auto similar = index->SimilarTo(Hash(0b10));
    EXPECT_EQ(Described(similar),
              (Lines{"20240301/2 nearer.jpg present", "20240301/1 near.jpg present"}));
    EXPECT_EQ(similar.at(0).distance, 1);
    EXPECT_EQ(similar.at(1).distance, 2);
}

TEST_F(CollectionIndexTest, FindsAFileReachedThroughALinkByItsRealPath) {
    const QString real = root + "real/";
    QDir().mkpath(real);
    ASSERT_TRUE(QFile::link(real, root + "linked"));
    Capture("a.jpg", "picture", kFirstDay, root + "linked/");
    auto index = Open();
    SyncAll(*index);

    EXPECT_EQ(Described(index->AtRealPath(real + "a.jpg")), Lines{"20240301/0 a.jpg present"});
    EXPECT_EQ(Described(index->AtPath(root + "linked/a.jpg")), Lines{"20240301/0 a.jpg present"});
    EXPECT_TRUE(index->AtRealPath(root + "linked/a.jpg").empty());
}

TEST_F(CollectionIndexTest, AFileChangedOrGoneSinceIsReportedSo) {
    Capture("kept.jpg", "picture", kFirstDay);
    const QString changed = Capture("changed.jpg", "picture", kFirstDay);
    const QString moved = Capture("moved.jpg", "picture", kFirstDay);
    auto index = Open();
    SyncAll(*index);

    ASSERT_TRUE(WriteBytes(changed, "edited picture"));
    ASSERT_TRUE(QFile::rename(moved, pictures + "elsewhere.jpg"));
    EXPECT_EQ(Described(index->WithContent(Sha256("picture"))),
              (Lines{"20240301/0 kept.jpg present", "20240301/1 changed.jpg changed",
                     "20240301/2 moved.jpg gone"}));
}

TEST_F(CollectionIndexTest, OnlyDaysWhoseLogChangedAreReadAgain) {
    Capture("a.jpg", "a", kFirstDay);
    Capture("b.jpg", "b", kSecondDay);
    auto index = Open();
    EXPECT_EQ(SyncAll(*index).filesHashed, 2);
    EXPECT_EQ(SyncAll(*index).filesHashed, 0);

    Capture("c.jpg", "c", kSecondDay);
    EXPECT_EQ(SyncAll(*index).filesHashed, 1);
    EXPECT_EQ(hashed, 3);
}

// Every command that opens the index reads its log ahead whole: captures made
// one command each must not pile up there until SQLite's own checkpoint.
TEST_F(CollectionIndexTest, CommandsOfOneCaptureEachKeepTheLogAheadShort) {
    for (int i = 0; i < 60; ++i) {
        Capture(QStringLiteral("%1.jpg").arg(i), QByteArray::number(i), kFirstDay.addSecs(i));
        QString error;
        const auto index =
            CollectionIndex::Open(home, Access::ReadWrite, &error, CollectionIndex::Check::Skip);
        ASSERT_TRUE(index) << error.toStdString();
        SyncAll(*index);
    }
    EXPECT_LT(QFileInfo(CollectionIndex::FilePath(home) + "-wal").size(), 512 * 1024);
}

TEST_F(CollectionIndexTest, AnEditedLogIsFollowedWithoutReadingUnchangedFilesAgain) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        Capture(name, name, kFirstDay);
    auto index = Open();
    SyncAll(*index);

    // b.jpg renamed, c.jpg's row removed.
    ASSERT_TRUE(QFile::rename(pictures + "b.jpg", pictures + "renamed.jpg"));
    RelogDay(kFirstDay, {"a.jpg", "renamed.jpg", "d.jpg"});
    EXPECT_EQ(SyncAll(*index).filesHashed, 1);

    EXPECT_TRUE(index->AtPath(pictures + "b.jpg").empty());
    EXPECT_EQ(Described(index->WithContent(Sha256("b.jpg"))),
              Lines{"20240301/1 renamed.jpg present"});
    EXPECT_TRUE(index->WithContent(Sha256("c.jpg")).empty());
    EXPECT_EQ(Described(index->AtPath(pictures + "d.jpg")), Lines{"20240301/2 d.jpg present"});
}

TEST_F(CollectionIndexTest, ADayNoLongerLoggedIsDropped) {
    Capture("a.jpg", "a", kFirstDay);
    Capture("b.jpg", "b", kSecondDay);
    auto index = Open();
    SyncAll(*index);

    ASSERT_TRUE(QFile::remove(DailyLogPath(home, kFirstDay)));
    SyncAll(*index);
    EXPECT_TRUE(index->AtPath(pictures + "a.jpg").empty());
    EXPECT_EQ(Described(index->AtPath(pictures + "b.jpg")), Lines{"20240302/0 b.jpg present"});
}

TEST_F(CollectionIndexTest, ACancelledSyncGoesOnWhereItStoppedWithoutHashingAgain) {
    for (const QDateTime& day : {kFirstDay, kSecondDay}) {
        for (int i = 0; i < 4; ++i)
            Capture(QStringLiteral("%1-%2.jpg").arg(day.date().day()).arg(i),
                    QByteArray::number(day.date().day() * 10 + i), day);
    }
    auto index = Open();
    std::atomic<bool> cancelled = false;
    IndexSync sync(*index, home, [&](const QString&) -> std::optional<PictureHash> {
        // Half way through the second day synced (the newest comes first).
        if (++hashed == 6)
            cancelled = true;
        return std::nullopt;
    });
    sync.SetCancel(&cancelled);
    EXPECT_TRUE(sync.SyncAll().cancelled);
    EXPECT_EQ(Described(index->WithContent(Sha256("11"))), Lines{"20240301/1 1-1.jpg present"});

    cancelled = false;
    const SyncReport resumed = sync.SyncAll();
    EXPECT_FALSE(resumed.cancelled);
    EXPECT_EQ(resumed.filesHashed, 2);
    EXPECT_EQ(hashed, 8);
    EXPECT_EQ(Described(index->WithContent(Sha256("13"))), Lines{"20240301/3 1-3.jpg present"});
}

TEST_F(CollectionIndexTest, ProgressGoesFromNothingToTheWhole) {
    for (const QDateTime& day : {kFirstDay, kSecondDay}) {
        Capture(QStringLiteral("%1-a.jpg").arg(day.date().day()), "a", day);
        Capture(QStringLiteral("%1-b.jpg").arg(day.date().day()), "b", day);
    }
    auto index = Open();
    std::vector<double> fractions;
    IndexSync sync(*index, home, Hasher());
    sync.SetProgress(
        [&](const SyncProgress& progress) { fractions.push_back(progress.Fraction()); });
    sync.SyncAll();

    ASSERT_FALSE(fractions.empty());
    EXPECT_EQ(fractions.front(), 0.0);
    EXPECT_EQ(fractions.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_GT(std::set<double>(fractions.begin(), fractions.end()).size(), 3u);
}

TEST_F(CollectionIndexTest, AnUnreadableLogLeavesItsDayAsIndexed) {
    Capture("a.jpg", "a", kFirstDay);
    auto index = Open();
    SyncAll(*index);

    const QString log = DailyLogPath(home, kFirstDay);
    const QByteArray rows = testing::ReadBytes(log);
    ASSERT_TRUE(testing::MakeUnreadableFile(log, rows + rows));
    EXPECT_EQ(SyncAll(*index).unreadableLogs, QStringList{log});
    EXPECT_EQ(Described(index->AtPath(pictures + "a.jpg")), Lines{"20240301/0 a.jpg present"});
}

TEST_F(CollectionIndexTest, AKnownContentHashSparesReadingTheNewFile) {
    const QString earlier = Capture("earlier.jpg", "earlier", kFirstDay);
    const QString copied = Capture("copied.jpg", "copied", kFirstDay);
    FileReads earlierReads(Native(earlier)), copiedReads(Native(copied));
    ASSERT_TRUE(earlierReads.Watching() && copiedReads.Watching());
    pictureHashes = {{"copied.jpg", Hash(42)}};
    auto index = Open();

    IndexSync sync(*index, home, Hasher());
    EXPECT_TRUE(sync.SyncDay("20240301", {{copied, Sha256("copied")}}).Ok());
    EXPECT_EQ(copiedReads.Count(), 0);
    EXPECT_EQ(earlierReads.Count(), 1);
    EXPECT_EQ(Described(index->WithContent(Sha256("copied"))),
              Lines{"20240301/1 copied.jpg present"});
    EXPECT_EQ(Described(index->SimilarTo(Hash(42))), Lines{"20240301/1 copied.jpg present"});
}

// Writes the bytes over the file's own from offset on.
bool Overwrite(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.seek(offset) &&
           file.write(bytes) == bytes.size();
}

TEST_F(CollectionIndexTest, ADamagedIndexIsMadeAnewAndRebuilt) {
    Capture("a.jpg", "a", kFirstDay);
    const QString file = CollectionIndex::FilePath(home);
    SyncAll(*Open());
    const auto reopened = [&] {
        auto index = Open();
        EXPECT_TRUE(index->Remade());
        SyncAll(*index);
        return Described(index->WithContent(Sha256("a")));
    };

    ASSERT_TRUE(WriteBytes(file, QByteArray(20000, 'x')));
    EXPECT_EQ(reopened(), Lines{"20240301/0 a.jpg present"});
    // A true header over pages that hold nonsense.
    ASSERT_TRUE(Overwrite(file, 4096, QByteArray(QFile(file).size() - 4096, '\x5A')));
    EXPECT_EQ(reopened(), Lines{"20240301/0 a.jpg present"});
    // The schema version of a later release (the header's user version).
    ASSERT_TRUE(Overwrite(file, 60, QByteArray("\0\0\0\x63", 4)));
    EXPECT_EQ(reopened(), Lines{"20240301/0 a.jpg present"});
}

TEST_F(CollectionIndexTest, AnIndexLackingAColumnOfItsVersionIsMadeAnew) {
    Capture("a.jpg", "a", kFirstDay);
    SyncAll(*Open());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(CollectionIndex::FilePath(home)), &db), SQLITE_OK);
    const int dropped = sqlite3_exec(db, "ALTER TABLE captures DROP COLUMN picture_centre", nullptr,
                                     nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(dropped, SQLITE_OK);

    auto index = Open();
    EXPECT_TRUE(index->Remade());
    SyncAll(*index);
    EXPECT_EQ(Described(index->WithContent(Sha256("a"))), Lines{"20240301/0 a.jpg present"});
}

TEST_F(CollectionIndexTest, ADeletedIndexIsRebuilt) {
    Capture("a.jpg", "a", kFirstDay);
    Open().reset();
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(CollectionIndex::FilePath(home) + suffix);

    auto index = Open();
    EXPECT_TRUE(index->Remade());
    SyncAll(*index);
    EXPECT_EQ(Described(index->WithContent(Sha256("a"))), Lines{"20240301/0 a.jpg present"});
}

TEST_F(CollectionIndexTest, AnIndexOpenedToReadSeesTheWritersChanges) {
    QString error;
    EXPECT_FALSE(CollectionIndex::Open(home, Access::ReadOnly, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(CollectionIndex::FilePath(home)));

    pictureHashes = {{"a.jpg", Hash(7)}, {"b.jpg", Hash(5)}};
    Capture("a.jpg", "a", kFirstDay);
    auto writer = Open();
    SyncAll(*writer);
    auto reader = Open(Access::ReadOnly);
    EXPECT_EQ(Described(reader->SimilarTo(Hash(7))), Lines{"20240301/0 a.jpg present"});

    Capture("b.jpg", "b", kFirstDay);
    IndexSync(*writer, home, Hasher()).SyncDay("20240301", {});
    EXPECT_EQ(Described(reader->WithContent(Sha256("b"))), Lines{"20240301/1 b.jpg present"});
    EXPECT_EQ(Described(reader->SimilarTo(Hash(7))),
              (Lines{"20240301/0 a.jpg present", "20240301/1 b.jpg present"}));
    EXPECT_EQ(Described(writer->SimilarTo(Hash(5))),
              (Lines{"20240301/1 b.jpg present", "20240301/0 a.jpg present"}));
    EXPECT_FALSE(reader->Remade());
}

} // namespace
} // namespace kelvo
