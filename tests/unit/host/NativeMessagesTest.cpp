#include "browser/NativeMessages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kelvo {
namespace {

// A pipe holding these bytes, its writing end closed: the browser has said
// all it will.
int InputOf(const QByteArray& bytes) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return -1;
    [[maybe_unused]] const ssize_t written = ::write(ends[1], bytes.constData(), bytes.size());
    ::close(ends[1]);
    return ends[0];
}

QByteArray Framed(const QByteArray& json) {
    const uint32_t length = uint32_t(json.size());
    QByteArray framed(reinterpret_cast<const char*>(&length), sizeof length);
    return framed + json;
}

TEST(NativeMessages, ReadsMessageAfterMessageUntilTheInputEnds) {
    const int input = InputOf(Framed("{\"a\":1}") + Framed("{}"));
    bool broken = true;
    EXPECT_EQ(ReadNativeMessage(input, &broken), QByteArray("{\"a\":1}"));
    EXPECT_EQ(ReadNativeMessage(input, &broken), QByteArray("{}"));
    EXPECT_EQ(ReadNativeMessage(input, &broken), std::nullopt);
    EXPECT_FALSE(broken);
    ::close(input);
}

TEST(NativeMessages, AMessageCutShortIsBroken) {
    for (const QByteArray& cut : {Framed("{\"a\":1}").chopped(2), QByteArray("\x07\x00", 2)}) {
        const int input = InputOf(cut);
        bool broken = false;
        EXPECT_EQ(ReadNativeMessage(input, &broken), std::nullopt);
        EXPECT_TRUE(broken);
        ::close(input);
    }
}

// The browsers refuse a message from the host over 1 MB.
TEST(NativeMessages, AnAnswerIsWrittenFramedAndNeverOverOneMegabyte) {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
    EXPECT_TRUE(WriteNativeMessage(ends[1], "{\"b\":2}"));
    EXPECT_FALSE(WriteNativeMessage(ends[1], QByteArray(kLargestAnswer + 1, 'x')));
    ::close(ends[1]);
    char read[64] = {};
    EXPECT_EQ(::read(ends[0], read, sizeof read), ssize_t(4 + 7));
    EXPECT_EQ(QByteArray(read, 11), Framed("{\"b\":2}"));
    ::close(ends[0]);
}

} // namespace
} // namespace kelvo
