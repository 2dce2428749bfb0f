#pragma once

#include <QLockFile>
#include <QString>

namespace kelvo {

// "kelvo.lock" in the home folder: one Kelvo works on a home at a time. A lock
// left by a process that no longer runs is taken over, and so is one that
// names no owner at all (empty or garbled).
class InstanceLock {
public:
    explicit InstanceLock(const QString& homeFolder);
    bool TryLock();
    // After a failed TryLock: whether another Kelvo holds the lock, else why
    // the lock file could not be made (a full disk, a folder not there).
    bool HeldByAnother() const { return failure_.isEmpty(); }
    QString Failure() const { return failure_; }
    QString Path() const { return path_; }

private:
    static constexpr int kOwnerLooks = 5;
    static constexpr int kOwnerLookInterval = 20; // ms

    bool HasReadableOwner() const;

    QString path_;
    QLockFile lock_;
    QString failure_;
};

} // namespace kelvo
