#include "bytes/Sha256.h"
#include "files/FileBytes.h"

#include "support/StdFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kelvo {
namespace {

std::string Hex(const std::string& digest) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char byte : digest) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

// FIPS 180-2's examples: fed in one piece, in uneven pieces, and from a file.
TEST(Sha256, GivesTheStandardDigestsHoweverTheBytesCome) {
    Sha256 hash;
    hash.Add("abc");
    EXPECT_EQ(Hex(hash.Finish()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    const std::string million(1000000, 'a');
    const char* const kMillion = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
    for (size_t at = 0; at < million.size(); at += 7777)
        hash.Add(std::string_view(million).substr(at, 7777));
    EXPECT_EQ(Hex(hash.Finish()), kMillion);

    testing::TempDir dir;
    testing::WriteBytes(dir.File("a.jpg"), million);
    EXPECT_EQ(Hex(Sha256OfFile(dir.File("a.jpg")).value_or("")), kMillion);
}

TEST(Sha256, AFileThatCannotBeReadOrIsNoFileHasNoDigest) {
    testing::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(Sha256OfFile(dir.File("pipe"))) << "a pipe is never waited on";
    EXPECT_FALSE(Sha256OfFile(dir.File("missing.jpg")));
}

} // namespace
} // namespace kelvo
