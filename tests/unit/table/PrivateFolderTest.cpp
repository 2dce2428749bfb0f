#include "files/PrivateFolder.h"

#include "support/StdFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace kelvo {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

class PrivateFolderTest : public ::testing::Test {
protected:
    std::string At(const std::string& name) const { return dir_.File(name); }
    testing::TempDir dir_;
};

TEST_F(PrivateFolderTest, MakesANewFolderForItsUserAlone) {
    const mode_t previous = ::umask(0);
    const MadeFolder made = MakePrivateFolder(At("run/"));
    ::umask(previous);
    EXPECT_EQ(made, MadeFolder::Private);
    EXPECT_EQ(ModeOf(At("run")), 0700u);
    EXPECT_EQ(MakePrivateFolder(At("run")), MadeFolder::Private) << "made before";
}

TEST_F(PrivateFolderTest, KeepsAFolderOthersMayEnterAsItIs) {
    fs::create_directory(At("shared"));
    ASSERT_EQ(::chmod(At("shared").c_str(), 0755), 0);
    EXPECT_FALSE(IsPrivateFolder(At("shared")));
    EXPECT_EQ(MakePrivateFolder(At("shared")), MadeFolder::NotPrivate);
    EXPECT_EQ(ModeOf(At("shared")), 0755u);
}

// Whoever made the link may change where it leads.
TEST_F(PrivateFolderTest, ALinkToAPrivateFolderIsNotPrivate) {
    ASSERT_EQ(MakePrivateFolder(At("real")), MadeFolder::Private);
    fs::create_directory_symlink(At("real"), At("link"));
    EXPECT_FALSE(IsPrivateFolder(At("link")));
    EXPECT_FALSE(IsPrivateFolder(At("link/")));
    EXPECT_EQ(MakePrivateFolder(At("link/")), MadeFolder::NotPrivate);
}

TEST_F(PrivateFolderTest, MakesNothingUnderAMissingFolderNorInAFilesPlace) {
    EXPECT_EQ(MakePrivateFolder(At("missing/run")), MadeFolder::Missing);
    EXPECT_FALSE(fs::exists(At("missing")));
    ASSERT_TRUE(testing::WriteBytes(At("file"), "bytes"));
    EXPECT_EQ(MakePrivateFolder(At("file")), MadeFolder::Missing);
    EXPECT_FALSE(IsPrivateFolder(At("file")));
}

} // namespace
} // namespace kelvo
