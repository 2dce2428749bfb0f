#include "services/FileWatch.h"
#include "support/EventLoop.h"
#include "support/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace kelvo {
namespace {

using testing::AppendBytes;
using testing::RunEventsUntil;
using testing::WriteBytes;

// A log is appended to by a capture and replaced whole by a rename: both are
// told, the rename's too after the watch on the old file has gone, and a
// neighbour's change is not.
TEST(FileWatch, TellsEveryChangeOfItsFileAndNoneOfItsNeighbours) {
    testing::EnsureCoreApplication();
    QTemporaryDir temp;
    const QString path = temp.path() + "/20060315.txt";
    ASSERT_TRUE(WriteBytes(path, "one\r\n"));
    FileWatch watch;
    int changes = 0;
    QObject::connect(&watch, &FileWatch::Changed, [&] { ++changes; });
    watch.Watch(path);
    const auto toldTimes = [&](int times) {
        return RunEventsUntil([&] { return changes >= times; }, 5000);
    };

    ASSERT_TRUE(AppendBytes(path, "two\r\n"));
    ASSERT_TRUE(toldTimes(1));
    ASSERT_TRUE(WriteBytes(path + ".new", "three\r\n"));
    ASSERT_EQ(std::rename(qPrintable(path + ".new"), qPrintable(path)), 0); // as atomic writes do
    ASSERT_TRUE(toldTimes(2));
    ASSERT_TRUE(AppendBytes(path, "four\r\n"));
    ASSERT_TRUE(toldTimes(3));
    ASSERT_TRUE(WriteBytes(temp.path() + "/20060316.txt", "other day\r\n"));
    RunEventsUntil([] { return false; }, 300);
    EXPECT_EQ(changes, 3);
}

} // namespace
} // namespace kelvo
