#include "app/InstanceLock.h"

#include <QThread>

#include <cerrno>
#include <cstring>

namespace kelvo {

InstanceLock::InstanceLock(const QString& homeFolder)
    : path_(homeFolder + QStringLiteral("kelvo.lock")), lock_(path_) {
    // Only a dead owner makes the lock stale; its age says nothing, since a
    // window may hold it for days.
    lock_.setStaleLockTime(0);
}

bool InstanceLock::TryLock() {
    failure_.clear();
    if (lock_.tryLock(0))
        return true;
    if (lock_.error() != QLockFile::LockFailedError) {
        const int error = errno;
        failure_ = path_ + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
        return false;
    }
    if (HasReadableOwner())
        return false;
    // An empty or garbled lock names no owner that could still run.
    return lock_.removeStaleLockFile() && lock_.tryLock(0);
}

// A lock that another start has only just made may not name its owner yet:
// the owner is given a moment to appear.
bool InstanceLock::HasReadableOwner() const {
    qint64 pid = 0;
    QString host, application;
    for (int look = 0; look < kOwnerLooks; ++look) {
        if (lock_.getLockInfo(&pid, &host, &application) && pid > 0)
            return true;
        QThread::msleep(kOwnerLookInterval);
    }
    return false;
}

} // namespace kelvo
