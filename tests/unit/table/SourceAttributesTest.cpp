#include "files/SourceAttributes.h"

#include "support/StdFiles.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(SourceAttributes, AreReadBackAsWrittenAndAnUnknownOneIsLeftOff) {
    testing::TempDir dir;
    const std::string path = dir.File("photo.jpg");
    testing::WriteBytes(path, "jpeg");
    const AttributesResult written =
        WriteSourceAttributes(path, {"https://img.example/a.jpg", "https://example.org/ページ"});
    if (written == AttributesResult::Unsupported)
        GTEST_SKIP() << "no user attributes where the tests' temporary files are";
    ASSERT_EQ(written, AttributesResult::Written);
    EXPECT_EQ(ReadSourceAttributes(path).originAddress, "https://img.example/a.jpg");
    EXPECT_EQ(ReadSourceAttributes(path).referrerAddress, "https://example.org/ページ");

    const std::string other = dir.File("other.jpg");
    testing::WriteBytes(other, "jpeg");
    ASSERT_EQ(WriteSourceAttributes(other, {"https://img.example/b.jpg", ""}),
              AttributesResult::Written);
    EXPECT_EQ(ReadSourceAttributes(other).referrerAddress, "");
}

// /proc keeps no user attributes: a file system like a FAT stick.
TEST(SourceAttributes, AFileSystemWithoutThemSaysUnsupportedNotFailed) {
    EXPECT_EQ(WriteSourceAttributes("/proc/self/comm", {"https://img.example/a.jpg", ""}),
              AttributesResult::Unsupported);
    EXPECT_EQ(WriteSourceAttributes("/nowhere/a.jpg", {"https://img.example/a.jpg", ""}),
              AttributesResult::Failed);
}

} // namespace
} // namespace kelvo
