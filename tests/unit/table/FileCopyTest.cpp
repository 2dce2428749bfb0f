#include "platform/FileCopy.h"

#include "TableTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
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
using test::ReadBytes;

const std::string kImageBytes("\xFF\xD8\xFF\xE0\0\r\n\x1A binary", 16);

class FileCopyTest : public ::testing::Test {
protected:
    std::string At(const std::string& name) const { return dir_.File(name); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        test::WriteBytes(At(name), bytes);
        return At(name);
    }
    // dir_.dir_.Entries() lists hidden names (the temporary files) too.
    test::TempDir dir_;
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
