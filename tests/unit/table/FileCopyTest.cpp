#include "files/FileCopy.h"

#include "bytes/Sha256.h"
#include "files/FileBytes.h"

#include "support/FileReads.h"
#include "support/StdFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using testing::ReadBytes;

const std::string kImageBytes("\xFF\xD8\xFF\xE0\0\r\n\x1A binary", 16);

class FileCopyTest : public ::testing::Test {
protected:
    std::string At(const std::string& name) const { return dir_.File(name); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        testing::WriteBytes(At(name), bytes);
        return At(name);
    }
    // dir_.dir_.Entries() lists hidden names (the temporary files) too.
    testing::TempDir dir_;
};

TEST_F(FileCopyTest, CopiesALargeFileIntoANewNameWithTheUmasksMode) {
    std::string bytes(20 * 1024 * 1024 + 17, '\0');
    std::generate(bytes.begin(), bytes.end(), std::mt19937(7));
    const std::string source = Write("a.jpg", bytes);
    const mode_t previous = ::umask(027);
    const CopyResult result = CopyFileNoReplace(source, At("b.jpg"));
    ::umask(previous);
    ASSERT_EQ(result, CopyResult::Copied);
    EXPECT_TRUE(ReadBytes(At("b.jpg")) == bytes); // not EXPECT_EQ: 20 MB would be printed
    EXPECT_EQ(dir_.Entries(), (Names{"a.jpg", "b.jpg"}));
    struct stat st {};
    ASSERT_EQ(::stat(At("b.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_nlink, 1u) << "the temporary name must be gone";
}

TEST_F(FileCopyTest, NeverReplacesOrFollowsAnExistingName) {
    const std::string source = Write("new.jpg", kImageBytes);
    Write("taken.jpg", "old bytes");
    EXPECT_EQ(CopyFileNoReplace(source, At("taken.jpg")), CopyResult::TargetExists);
    EXPECT_EQ(ReadBytes(At("taken.jpg")), "old bytes");

    // A dangling link is a taken name too: nothing may appear where it points.
    fs::create_symlink(At("elsewhere.jpg"), At("link.jpg"));
    EXPECT_EQ(CopyFileNoReplace(source, At("link.jpg")), CopyResult::TargetExists);
    EXPECT_FALSE(fs::exists(At("elsewhere.jpg")));

    EXPECT_EQ(dir_.Entries(), (Names{"link.jpg", "new.jpg", "taken.jpg"}));
}

TEST_F(FileCopyTest, MissingFolderOrUnreadableSourceFailsWithoutLeavingAnything) {
    const std::string source = Write("a.jpg", kImageBytes);
    EXPECT_EQ(CopyFileNoReplace(source, At("gone/b.jpg")), CopyResult::FolderMissing);
    EXPECT_EQ(CopyFileReplacing(source, At("gone/b.jpg")), CopyResult::FolderMissing);
    Write("file", "");
    EXPECT_EQ(CopyFileNoReplace(source, At("file/b.jpg")), CopyResult::FolderMissing);

    fs::create_directory(At("folder"));
    EXPECT_EQ(CopyFileNoReplace(At("missing.jpg"), At("b.jpg")), CopyResult::Failed);
    EXPECT_EQ(CopyFileNoReplace(At("folder"), At("b.jpg")), CopyResult::Failed);
    EXPECT_EQ(CopyFileReplacing(At("folder"), At("b.jpg")), CopyResult::Failed);
    EXPECT_EQ(dir_.Entries(), (Names{"a.jpg", "file", "folder"}));
}

TEST_F(FileCopyTest, RacingCopiesToOneNameLeaveExactlyOneWholeFile) {
    std::vector<std::string> sources;
    for (int i = 0; i < 8; ++i)
        sources.push_back(Write("source" + std::to_string(i), std::string(1 << 18, char('a' + i))));
    std::vector<CopyResult> results(sources.size());
    {
        std::vector<std::jthread> racers;
        for (size_t i = 0; i < sources.size(); ++i)
            racers.emplace_back(
                [&, i] { results[i] = CopyFileNoReplace(sources[i], At("target")); });
    }
    const auto winner = std::find(results.begin(), results.end(), CopyResult::Copied);
    ASSERT_NE(winner, results.end());
    EXPECT_EQ(std::count(results.begin(), results.end(), CopyResult::TargetExists), 7);
    EXPECT_TRUE(ReadBytes(At("target")) == ReadBytes(sources[winner - results.begin()]));
    EXPECT_EQ(dir_.Entries().size(), sources.size() + 1);
}

TEST_F(FileCopyTest, ReplacingCopyOverwritesAndKeepsTheTargetsMode) {
    const std::string source = Write("a.jpg", kImageBytes);
    Write("b.jpg", "old bytes that are longer than the new ones");
    fs::permissions(At("b.jpg"), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(CopyFileReplacing(source, At("b.jpg")), CopyResult::Copied);
    EXPECT_EQ(ReadBytes(At("b.jpg")), kImageBytes);
    EXPECT_EQ(fs::status(At("b.jpg")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(CopyFileReplacing(source, At("c.jpg")), CopyResult::Copied);
    EXPECT_EQ(dir_.Entries(), (Names{"a.jpg", "b.jpg", "c.jpg"}));
}

// Both ways a copy waits for its name: without one, and under a hidden
// temporary name, as on a file system without unnamed files.
constexpr SourceCopy::UnnamedFiles kWaysToWait[] = {SourceCopy::UnnamedFiles::WhereSupported,
                                                    SourceCopy::UnnamedFiles::Never};

const char* WayName(SourceCopy::UnnamedFiles way) {
    return way == SourceCopy::UnnamedFiles::Never ? "named temporary file" : "unnamed file";
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

nlink_t LinksOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_nlink : 0;
}

TEST_F(FileCopyTest, OneCopyIsOfferedNameAfterNameAndNeverReplacesOne) {
    for (const SourceCopy::UnnamedFiles way : kWaysToWait) {
        SCOPED_TRACE(WayName(way));
        testing::TempDir dir;
        const std::string source = dir.File("source.jpg");
        testing::WriteBytes(source, kImageBytes);
        testing::WriteBytes(dir.File("photo.jpg"), "old");
        testing::WriteBytes(dir.File("photo[1].jpg"), "older");
        fs::create_symlink(dir.File("elsewhere.jpg"), dir.File("photo[2].jpg"));
        const std::optional<std::string> digest = Sha256OfFile(source);
        testing::FileReads reads(source);
        ASSERT_TRUE(reads.Watching());
        const mode_t previous = ::umask(027);
        {
            SourceCopy copy(source, way);
            for (const char* taken : {"photo.jpg", "photo[1].jpg", "photo[2].jpg"})
                EXPECT_EQ(copy.PublishNoReplace(dir.File(taken)), CopyResult::TargetExists)
                    << taken;
            EXPECT_EQ(copy.PublishNoReplace(dir.File("photo[3].jpg")), CopyResult::Copied);
            // A second name would make two names of one file, stamped together.
            EXPECT_EQ(copy.PublishNoReplace(dir.File("photo[4].jpg")), CopyResult::Failed);
            EXPECT_EQ(copy.ContentHash(), digest) << "taken in the copy's one read";
        }
        ::umask(previous);
        EXPECT_EQ(reads.Count(), 1);
        EXPECT_EQ(ReadBytes(dir.File("photo.jpg")), "old");
        EXPECT_EQ(ReadBytes(dir.File("photo[1].jpg")), "older");
        EXPECT_FALSE(fs::exists(dir.File("elsewhere.jpg")));
        EXPECT_EQ(ReadBytes(dir.File("photo[3].jpg")), kImageBytes);
        EXPECT_EQ(ModeOf(dir.File("photo[3].jpg")), 0640u);
        EXPECT_EQ(LinksOf(dir.File("photo[3].jpg")), 1u);
        EXPECT_EQ(dir.Entries(), (Names{"photo.jpg", "photo[1].jpg", "photo[2].jpg", "photo[3].jpg",
                                        "source.jpg"}));
    }
}

TEST_F(FileCopyTest, AReplacementOrAnotherFolderTakesTheSameCopy) {
    for (const SourceCopy::UnnamedFiles way : kWaysToWait) {
        SCOPED_TRACE(WayName(way));
        testing::TempDir dir;
        const std::string source = dir.File("source.jpg");
        testing::WriteBytes(source, kImageBytes);
        testing::WriteBytes(dir.File("photo.jpg"), "old bytes that are longer than the new ones");
        ::chmod(dir.File("photo.jpg").c_str(), 0600);
        fs::create_directory(dir.File("other"));
        testing::FileReads reads(source);
        ASSERT_TRUE(reads.Watching());
        {
            SourceCopy copy(source, way);
            ASSERT_EQ(copy.PublishNoReplace(dir.File("photo.jpg")), CopyResult::TargetExists);
            EXPECT_EQ(copy.PublishReplacing(dir.File("photo.jpg")), CopyResult::Copied);
        }
        EXPECT_EQ(ReadBytes(dir.File("photo.jpg")), kImageBytes);
        EXPECT_EQ(ModeOf(dir.File("photo.jpg")), 0600u) << "the replaced file's permissions";
        {
            SourceCopy copy(source, way);
            ASSERT_EQ(copy.PublishNoReplace(dir.File("photo.jpg")), CopyResult::TargetExists);
            EXPECT_EQ(copy.PublishNoReplace(dir.File("other/photo.jpg")), CopyResult::Copied);
        }
        {
            SourceCopy copy(source, way);
            ASSERT_EQ(copy.PublishNoReplace(dir.File("photo.jpg")), CopyResult::TargetExists);
            EXPECT_EQ(copy.PublishReplacing(dir.File("other/new.jpg")), CopyResult::Copied);
        }
        EXPECT_EQ(reads.Count(), 3) << "one copy for each of the three";
        EXPECT_EQ(ReadBytes(dir.File("other/photo.jpg")), kImageBytes);
        EXPECT_EQ(ReadBytes(dir.File("other/new.jpg")), kImageBytes);
        EXPECT_EQ(dir.Entries(), (Names{"other", "photo.jpg", "source.jpg"}));
        EXPECT_EQ(testing::EntriesOf(dir.File("other")), (Names{"new.jpg", "photo.jpg"}));
    }
}

// A picture handed over whole is copied from memory as a file is: hashed on
// its way, never over a taken name, larger than one chunk.
TEST_F(FileCopyTest, BytesInMemoryAreCopiedAndHashedAsAFilesAre) {
    auto bytes = std::make_shared<std::string>(3 * 1024 * 1024 + 5, '\0');
    std::generate(bytes->begin(), bytes->end(), std::mt19937(3));
    Sha256 digest;
    digest.Add(*bytes);
    const std::string expected = digest.Finish();
    for (const SourceCopy::UnnamedFiles way : kWaysToWait) {
        SCOPED_TRACE(WayName(way));
        testing::TempDir dir;
        testing::WriteBytes(dir.File("photo.jpg"), "old");
        SourceCopy copy(bytes, way);
        EXPECT_EQ(copy.PublishNoReplace(dir.File("photo.jpg")), CopyResult::TargetExists);
        EXPECT_EQ(copy.PublishNoReplace(dir.File("photo[1].jpg")), CopyResult::Copied);
        EXPECT_EQ(copy.ContentHash(), expected);
        EXPECT_EQ(ReadBytes(dir.File("photo.jpg")), "old");
        EXPECT_TRUE(ReadBytes(dir.File("photo[1].jpg")) == *bytes);
        EXPECT_EQ(dir.Entries(), (Names{"photo.jpg", "photo[1].jpg"}));
    }
}

// Links stay within one file system: a name on another gets a copy of its own
// there, never a half-made file.
TEST_F(FileCopyTest, ANameOnAnotherFileSystemGetsACopyOfItsOwn) {
    char pattern[] = "/dev/shm/kelvo_copy_XXXXXX";
    struct stat here {};
    struct stat there {};
    if (::stat(dir_.File("").c_str(), &here) != 0 || !::mkdtemp(pattern))
        GTEST_SKIP() << "no /dev/shm";
    const std::string other = std::string(pattern) + "/";
    const bool elsewhere = ::stat(other.c_str(), &there) == 0 && there.st_dev != here.st_dev;
    if (elsewhere) {
        for (const SourceCopy::UnnamedFiles way : kWaysToWait) {
            SCOPED_TRACE(WayName(way));
            const std::string source = Write("source.jpg", kImageBytes);
            Write("photo.jpg", "old");
            testing::FileReads reads(source);
            SourceCopy first(source, way);
            ASSERT_EQ(first.PublishNoReplace(At("photo.jpg")), CopyResult::TargetExists);
            EXPECT_EQ(first.PublishNoReplace(other + "photo.jpg"), CopyResult::Copied);
            SourceCopy second(source, way);
            ASSERT_EQ(second.PublishNoReplace(At("photo.jpg")), CopyResult::TargetExists);
            EXPECT_EQ(second.PublishReplacing(other + "photo.jpg"), CopyResult::Copied);
            EXPECT_EQ(reads.Count(), 4);
            EXPECT_EQ(ReadBytes(other + "photo.jpg"), kImageBytes);
            EXPECT_EQ(testing::EntriesOf(other), (Names{"photo.jpg"}));
            fs::remove(other + "photo.jpg");
        }
    }
    fs::remove_all(other);
    if (!elsewhere)
        GTEST_SKIP() << "/dev/shm is on the same file system";
}

// Asked name after name, first by a look each and then from one listing: the
// answers must not change when the listing takes over.
TEST_F(FileCopyTest, NamesInAFolderAreTakenWhetherLookedAtOrListed) {
    Write("photo.jpg", "");
    fs::create_directory(At("folder"));
    fs::create_symlink(At("nowhere.jpg"), At("link.jpg"));
    for (int n = 1; n <= 40; ++n)
        Write("photo[" + std::to_string(n) + "].jpg", "");
    NamesInFolder names(At(""));
    for (int round = 0; round < 3; ++round) {
        for (const char* taken : {"photo.jpg", "folder", "link.jpg"})
            EXPECT_TRUE(names.Taken(taken)) << taken << " in round " << round;
        for (const char* free : {"photo[41].jpg", "PHOTO.JPG", "nowhere.jpg"})
            EXPECT_FALSE(names.Taken(free)) << free << " in round " << round;
        for (int n = 1; n <= 40; ++n)
            EXPECT_TRUE(names.Taken("photo[" + std::to_string(n) + "].jpg")) << n;
    }
}

TEST_F(FileCopyTest, SetsTheModificationTimeAndLeavesTheAccessTime) {
    const std::string path = Write("a.jpg", kImageBytes);
    const struct timespec access[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), access, 0), 0);
    ASSERT_TRUE(SetModificationTime(path, 1700000123));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1700000123);
    EXPECT_EQ(st.st_mtim.tv_nsec, 0);
    EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
    EXPECT_FALSE(SetModificationTime(At("missing.jpg"), 1700000123));
}

} // namespace
} // namespace kelvo
