#include "browser/DestinationWatch.h"
#include "browser/NativeMessages.h"
#include "support/CaptureFakes.h"
#include "support/EventLoop.h"
#include "support/Files.h"
#include "support/TestHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kelvo {
namespace {

using testing::WriteBytes;

QStringList Names(const QByteArray& answer) {
    QStringList names;
    for (const QJsonValue& destination :
         QJsonDocument::fromJson(answer).object().value("destinations").toArray())
        names << destination.toObject().value("name").toString();
    return names;
}

// The menu's list follows Kelvo's: sent at once, again when the list file is
// rewritten, and the watch ends when the browser closes the port.
TEST(DestinationWatch, SendsTheListAtOnceAndAgainWhenKelvoWritesIt) {
    testing::EnsureCoreApplication();
    QTemporaryDir temp;
    const QString home = temp.path() + "/";
    ASSERT_TRUE(WriteBytes(home + "kelvo.ini", "[Form]\r\nNORI=1\r\n"));
    ASSERT_TRUE(
        WriteBytes(home + "ListView.txt", testing::DestinationListText({{"cats", "/p/cats/"}})));
    int toHost[2], fromHost[2];
    ASSERT_EQ(::pipe2(toHost, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(fromHost, O_CLOEXEC), 0);
    testing::FixedClock clock;
    const HostContext context{
        home, {}, clock, [](const HandedCapture&) { return std::optional<HandedOutcome>(); }};
    std::optional<int> finished;
    DestinationWatch watch(context, toHost[0], fromHost[1]);
    QObject::connect(&watch, &DestinationWatch::Finished, [&](int code) { finished = code; });
    EXPECT_EQ(Names(ReadNativeMessage(fromHost[0]).value_or("")), QStringList{"cats"});

    ASSERT_TRUE(
        WriteBytes(home + "ListView.txt",
                   testing::DestinationListText({{"cats", "/p/cats/"}, {"dogs", "/p/dogs/"}})));
    std::optional<QByteArray> again;
    ASSERT_TRUE(testing::RunEventsUntil([&] {
        int readable = 0;
        if (::ioctl(fromHost[0], FIONREAD, &readable) == 0 && readable > 0)
            again = ReadNativeMessage(fromHost[0]);
        return again.has_value();
    }));
    EXPECT_EQ(Names(*again), QStringList({"cats", "dogs"}));

    ::close(toHost[1]);
    ASSERT_TRUE(testing::RunEventsUntil([&] { return finished.has_value(); }));
    EXPECT_EQ(*finished, 0);
    for (const int end : {toHost[0], fromHost[0], fromHost[1]})
        ::close(end);
}

} // namespace
} // namespace kelvo
