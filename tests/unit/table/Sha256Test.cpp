#include "bytes/Sha256.h"
#include "bytes/Sha256Blocks.h"
#include "files/FileBytes.h"

#include "support/StdFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

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
    EXPECT_EQ(Hex(hash.Finish()),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    hash.Add("abc");
    EXPECT_EQ(Hex(hash.Finish()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 448 bits: the length no longer fits the block, and padding takes a second.
    hash.Add("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq");
    EXPECT_EQ(Hex(hash.Finish()),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");

    const std::string million(1000000, 'a');
    const char* const kMillion = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
    for (size_t at = 0; at < million.size(); at += 7777)
        hash.Add(std::string_view(million).substr(at, 7777));
    EXPECT_EQ(Hex(hash.Finish()), kMillion);

    testing::TempDir dir;
    testing::WriteBytes(dir.File("a.jpg"), million);
    EXPECT_EQ(Hex(Sha256OfFile(dir.File("a.jpg")).value_or("")), kMillion);
}

// Pieces of 0 to 199 bytes: within a block, across one, and many blocks at once.
std::string DigestInPieces(sha256_detail::Digest& digest, std::string_view bytes,
                           std::mt19937& random) {
    while (!bytes.empty()) {
        const size_t piece = std::min<size_t>(bytes.size(), random() % 200);
        digest.Add(bytes.substr(0, piece));
        bytes.remove_prefix(piece);
    }
    return digest.Finish();
}

// The processor's SHA instructions and the plain C++ that other processors run
// give the same digests, at every length and however the bytes are cut.
TEST(Sha256, TheProcessorsInstructionsAndPlainCodeAgree) {
    const sha256_detail::BlockFunction instructions = sha256_detail::InstructionBlocks();
    if (!instructions)
        GTEST_SKIP() << "this processor has no SHA instructions";
    sha256_detail::Digest plain(sha256_detail::PortableBlocks);
    sha256_detail::Digest fast(instructions);

    std::mt19937 random(7);
    std::vector<size_t> sizes(301);
    std::iota(sizes.begin(), sizes.end(), 0);
    sizes.insert(sizes.end(), {4096, 65'537, 1'000'003});
    for (const size_t size : sizes) {
        std::string bytes(size, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random());
        plain.Add(bytes);
        const std::string expected = Hex(plain.Finish());
        fast.Add(bytes);
        ASSERT_EQ(Hex(fast.Finish()), expected) << size << " bytes whole";
        ASSERT_EQ(Hex(DigestInPieces(fast, bytes, random)), expected) << size << " bytes";
        ASSERT_EQ(Hex(DigestInPieces(plain, bytes, random)), expected) << size << " bytes";
    }
}

TEST(Sha256, AFileThatCannotBeReadOrIsNoFileHasNoDigest) {
    testing::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(Sha256OfFile(dir.File("pipe"))) << "a pipe is never waited on";
    EXPECT_FALSE(Sha256OfFile(dir.File("missing.jpg")));
}

} // namespace
} // namespace kelvo
