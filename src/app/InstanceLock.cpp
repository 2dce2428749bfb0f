#include "app/InstanceLock.h"

namespace kelvo {

InstanceLock::InstanceLock(const QString& homeFolder)
    : path_(homeFolder + QStringLiteral("kelvo.lock")), lock_(path_) {
    // Only a dead owner makes the lock stale; its age says nothing, since a
    // window may hold it for days.
    lock_.setStaleLockTime(0);
}

bool InstanceLock::TryLock() {
    return lock_.tryLock(0);
}

} // namespace kelvo
