#include "platform/FileCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace kelvo {
namespace {

namespace fs = std::filesystem;

const std::string kImageBytes("\xFF\xD8\xFF\xE0\0\r\n\x1A binary", 16);

class FileCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kelvo-copy-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string At(const std::string& name) const { return (folder_ / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(At(name), std::ios::binary) << bytes;
        return At(name);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Every name in the folder, hidden ones (the temporary files) included.
    std::set<std::string> Entries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path folder_;
};

using Names = std::set<std::string>;

TEST_F(FileCopyTest, CopiesIntoANewNameWithTheUmasksMode) {
    const mode_t previous = ::umask(027);
    const CopyResult result = CopyFileNoReplace(Write("a.jpg", kImageBytes), At("b.jpg"));
    ::umask(previous);
    ASSERT_EQ(result, CopyResult::Copied);
    EXPECT_EQ(Read(At("b.jpg")), kImageBytes);
    EXPECT_EQ(Entries(), (Names{"a.jpg", "b.jpg"}));
    struct stat st {};
    ASSERT_EQ(::stat(At("b.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_nlink, 1u) << "the temporary name must be gone";
}

TEST_F(FileCopyTest, NeverReplacesOrFollowsAnExistingName) {
    const std::string source = Write("new.jpg", kImageBytes);
    Write("taken.jpg", "old bytes");
    EXPECT_EQ(CopyFileNoReplace(source, At("taken.jpg")), CopyResult::TargetExists);
    EXPECT_EQ(Read(At("taken.jpg")), "old bytes");

    // A dangling link is a taken name too: nothing may appear where it points.
    fs::create_symlink(At("elsewhere.jpg"), At("link.jpg"));
    EXPECT_EQ(CopyFileNoReplace(source, At("link.jpg")), CopyResult::TargetExists);
    EXPECT_FALSE(fs::exists(At("elsewhere.jpg")));

    EXPECT_EQ(CopyFileNoReplace(source, source), CopyResult::TargetExists);
    EXPECT_EQ(Read(source), kImageBytes);
    EXPECT_EQ(Entries(), (Names{"link.jpg", "new.jpg", "taken.jpg"}));
}

TEST_F(FileCopyTest, MissingFolderIsReportedBeforeAnythingIsDone) {
    const std::string source = Write("a.jpg", kImageBytes);
    EXPECT_EQ(CopyFileNoReplace(source, At("gone/b.jpg")), CopyResult::FolderMissing);
    EXPECT_EQ(CopyFileReplacing(source, At("gone/b.jpg")), CopyResult::FolderMissing);
    Write("file", "");
    EXPECT_EQ(CopyFileNoReplace(source, At("file/b.jpg")), CopyResult::FolderMissing);
    EXPECT_EQ(Entries(), (Names{"a.jpg", "file"}));
}

TEST_F(FileCopyTest, UnreadableSourceFailsWithoutLeavingAnything) {
    fs::create_directory(At("folder"));
    for (const std::string& source : {At("missing.jpg"), At("folder")}) {
        EXPECT_EQ(CopyFileNoReplace(source, At("b.jpg")), CopyResult::Failed) << source;
        EXPECT_EQ(CopyFileReplacing(source, At("b.jpg")), CopyResult::Failed) << source;
    }
    EXPECT_EQ(Entries(), (Names{"folder"}));
}

TEST_F(FileCopyTest, LargeFileArrivesExactly) {
    std::string bytes(20 * 1024 * 1024 + 17, '\0');
    std::mt19937 random(7);
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    const std::string source = Write("big.bin", bytes);
    ASSERT_EQ(CopyFileNoReplace(source, At("copy.bin")), CopyResult::Copied);
    EXPECT_TRUE(Read(At("copy.bin")) == bytes);
    ASSERT_EQ(CopyFileReplacing(source, At("copy.bin")), CopyResult::Copied);
    EXPECT_TRUE(Read(At("copy.bin")) == bytes);
}

TEST_F(FileCopyTest, RacingCopiesToOneNameLeaveExactlyOneWholeFile) {
    std::vector<std::string> sources;
    for (char i = 0; i < 8; ++i)
        sources.push_back(
            Write(std::string("source") + char('0' + i), std::string(1 << 18, 'a' + i)));
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
    EXPECT_TRUE(Read(At("target")) == Read(sources[winner - results.begin()]));
    EXPECT_EQ(Entries().size(), sources.size() + 1);
}

TEST_F(FileCopyTest, ReplacingCopyOverwritesAndKeepsTheTargetsMode) {
    const std::string source = Write("a.jpg", kImageBytes);
    Write("b.jpg", "old bytes that are longer than the new ones");
    fs::permissions(At("b.jpg"), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(CopyFileReplacing(source, At("b.jpg")), CopyResult::Copied);
    EXPECT_EQ(Read(At("b.jpg")), kImageBytes);
    EXPECT_EQ(fs::status(At("b.jpg")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(CopyFileReplacing(source, At("c.jpg")), CopyResult::Copied);
    EXPECT_EQ(Entries(), (Names{"a.jpg", "b.jpg", "c.jpg"}));
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
