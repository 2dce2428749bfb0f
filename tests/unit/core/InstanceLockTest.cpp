#include "app/InstanceLock.h"

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

// A lock left by a killed instance names a process that is gone; it must not
// block the next start. One held by a live process must.
TEST(InstanceLock, TakesOverOnlyALockWhoseOwnerIsGone) {
    QTemporaryDir home;
    const QString folder = home.path() + "/";
    {
        QFile stale(folder + "kelvo.lock");
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        // pid, application, host: the form the lock file takes; no process has
        // this pid.
        stale.write("2147483000\nkelvo\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    InstanceLock first(folder);
    EXPECT_TRUE(first.TryLock());
    InstanceLock second(folder);
    EXPECT_FALSE(second.TryLock());
}

// An empty or garbled lock (a full disk, a hand edit) names no owner that
// could still run, and never blocks Kelvo for good.
TEST(InstanceLock, TakesOverALockThatNamesNoOwner) {
    for (const QByteArray& content :
         {QByteArray(), QByteArray("garbled\x01\xFF"), QByteArray("-5\nkelvo\nhost\n")}) {
        QTemporaryDir home;
        const QString folder = home.path() + "/";
        QFile lock(folder + "kelvo.lock");
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(content);
        lock.close();
        InstanceLock first(folder);
        EXPECT_TRUE(first.TryLock()) << content.toStdString();
        InstanceLock second(folder);
        EXPECT_FALSE(second.TryLock());
    }
}

} // namespace
} // namespace kelvo
