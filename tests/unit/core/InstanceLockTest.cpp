#include "session/InstanceLock.h"
#include "support/Files.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <unistd.h>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

// A lock left by a killed instance names a process that is gone; it must not
// block the next start. One held by a live process must.
TEST(InstanceLock, TakesOverOnlyALockWhoseOwnerIsGone) {
    QTemporaryDir home;
    const QString folder = home.path() + "/";
    // pid, application, host: the form the lock file takes; no process has
    // this pid.
    ASSERT_TRUE(
        testing::WriteBytes(folder + "kelvo.lock",
                            "2147483000\nkelvo\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
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
        ASSERT_TRUE(testing::WriteBytes(folder + "kelvo.lock", content));
        InstanceLock first(folder);
        EXPECT_TRUE(first.TryLock()) << content.toStdString();
        InstanceLock second(folder);
        EXPECT_FALSE(second.TryLock());
    }
}

QByteArray ProgramOfThisProcess() {
    return QFileInfo(QFile::symLinkTarget("/proc/self/exe")).fileName().toUtf8();
}

// A lock naming a process that runs this program is respected even where no
// one holds it the way Kelvo does (another build, another machine's view);
// one whose pid now runs another program is stale.
TEST(InstanceLock, ALockIsJudgedByTheProcessItNames) {
    const QByteArray pid = QByteArray::number(::getpid());
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    for (const auto& [program, held] :
         {std::pair{ProgramOfThisProcess(), true}, std::pair{QByteArray("not-kelvo"), false}}) {
        QTemporaryDir home;
        const QString folder = home.path() + "/";
        ASSERT_TRUE(
            testing::WriteBytes(folder + "kelvo.lock", pid + "\n" + program + "\n" + host + "\n"));
        InstanceLock ours(folder);
        EXPECT_EQ(ours.TryLock(), !held) << program.toStdString();
        EXPECT_TRUE(ours.HeldByAnother() || !held);
    }
}

// A Kelvo built on QLockFile and this one share homes: each keeps the other
// out while it holds the lock, and the lock goes with its holder.
TEST(InstanceLock, KeepsOutAndIsKeptOutByQLockFile) {
    QTemporaryDir home;
    const QString folder = home.path() + "/";
    {
        QLockFile qt(folder + "kelvo.lock");
        qt.setStaleLockTime(0);
        ASSERT_TRUE(qt.tryLock(0));
        InstanceLock ours(folder);
        EXPECT_FALSE(ours.TryLock());
        EXPECT_TRUE(ours.HeldByAnother());
    }
    {
        InstanceLock ours(folder);
        ASSERT_TRUE(ours.TryLock());
        QLockFile qt(folder + "kelvo.lock");
        qt.setStaleLockTime(0);
        EXPECT_FALSE(qt.tryLock(0));
        qint64 pid = 0;
        QString host, program;
        ASSERT_TRUE(qt.getLockInfo(&pid, &host, &program));
        EXPECT_EQ(pid, ::getpid());
        EXPECT_EQ(host, QSysInfo::machineHostName());
        EXPECT_EQ(program.toUtf8(), ProgramOfThisProcess());
    }
    EXPECT_FALSE(QFileInfo::exists(folder + "kelvo.lock"));
    InstanceLock again(folder);
    EXPECT_TRUE(again.TryLock());
}

} // namespace
} // namespace kelvo
