#pragma once

#include <QString>

namespace kelvo {

// "kelvo.lock" in the home folder: one Kelvo works on a home at a time. A lock
// left by a process that no longer runs is taken over, and so is one that
// names no owner at all (empty or garbled). The file names its owner the way
// QLockFile does, and is held with the same flock, so a Kelvo built on
// QLockFile and this one keep each other out.
class InstanceLock {
public:
    explicit InstanceLock(const QString& homeFolder);
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    bool TryLock();
    // After a failed TryLock: whether another Kelvo holds the lock, else why
    // the lock file could not be made (a full disk, a folder not there).
    bool HeldByAnother() const { return failure_.isEmpty(); }
    QString Failure() const { return failure_; }
    QString Path() const { return path_; }

private:
    static constexpr int kOwnerLooks = 5;
    static constexpr int kOwnerLookInterval = 20; // ms

    bool Hold(int fd);
    bool RemoveIfStale() const;
    bool OwnerRuns(int fd) const;
    void SetFailure(int error);

    QString path_;
    int fd_ = -1;
    QString failure_;
};

} // namespace kelvo
