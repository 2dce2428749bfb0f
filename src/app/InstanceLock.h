#pragma once

#include <QLockFile>
#include <QString>

namespace kelvo {

// "kelvo.lock" in the home folder: one Kelvo works on a home at a time. A lock
// left by a process that no longer runs is taken over.
class InstanceLock {
public:
    explicit InstanceLock(const QString& homeFolder);
    bool TryLock();
    QString Path() const { return path_; }

private:
    QString path_;
    QLockFile lock_;
};

} // namespace kelvo
