#include "session/InstanceLock.h"
#include "session/HomeFiles.h"

#include <QByteArrayList>
#include <QFile>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {
namespace {

// The file name of a process's program, "" when it cannot be read.
QByteArray ProgramOf(const QByteArray& pid) {
    const QByteArray link = "/proc/" + pid + "/exe";
    char target[4096];
    const ssize_t size = ::readlink(link.constData(), target, sizeof target);
    if (size <= 0)
        return {};
    QByteArray path(target, size);
    if (path.endsWith(" (deleted)")) // replaced by an update while it runs
        path.chop(10);
    return path.mid(path.lastIndexOf('/') + 1);
}

// pid, program, host, machine and boot, one a line, as QLockFile writes them.
QByteArray OwnerLines() {
    const QByteArray pid = QByteArray::number(::getpid());
    return pid + '\n' + ProgramOf("self") + '\n' + QSysInfo::machineHostName().toUtf8() + '\n' +
           QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n';
}

bool WriteWhole(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

bool SameFile(int fd, const QByteArray& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Whether the owner the lines name may still run: another machine's cannot be
// checked from here and is taken to; one of an earlier boot is gone; here, the
// process must exist and run the program named (its pid may have been reused).
bool NamedOwnerRuns(const QByteArrayList& lines) {
    bool sameHost =
        lines.size() < 3 || lines[2].isEmpty() || lines[2] == QSysInfo::machineHostName().toUtf8();
    if (lines.size() > 3 && !lines[3].isEmpty() && !QSysInfo::machineUniqueId().isEmpty())
        sameHost = lines[3] == QSysInfo::machineUniqueId();
    if (!sameHost)
        return true;
    if (lines.size() > 4 && !lines[4].isEmpty() && lines[4] != QSysInfo::bootUniqueId())
        return false;
    const QByteArray pid = lines[0].trimmed();
    const long long number = pid.toLongLong();
    if (number > std::numeric_limits<pid_t>::max() ||
        (::kill(pid_t(number), 0) != 0 && errno == ESRCH))
        return false;
    const QByteArray program = ProgramOf(pid);
    const QByteArray named = lines.size() > 1 ? lines[1].mid(lines[1].lastIndexOf('/') + 1) : "";
    return program.isEmpty() || program == named;
}

} // namespace

InstanceLock::InstanceLock(const QString& homeFolder) : path_(InstanceLockPath(homeFolder)) {}

InstanceLock::~InstanceLock() {
    if (fd_ < 0)
        return;
    if (SameFile(fd_, QFile::encodeName(path_)))
        ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
}

bool InstanceLock::TryLock() {
    failure_.clear();
    if (fd_ >= 0)
        return true;
    const QByteArray path = QFile::encodeName(path_);
    // A stale lock removed makes room for one more try; a start racing this
    // one may take it first.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return Hold(fd);
        if (errno != EEXIST) {
            SetFailure(errno);
            return false;
        }
        if (!RemoveIfStale())
            return false;
    }
    return false;
}

// The flock is what holds: the kernel lets go of it with the process, however
// it ends. The file is not synced: it guards against a second running Kelvo,
// and after a crash a lock file lost or left empty is as stale as one naming a
// process that is gone.
bool InstanceLock::Hold(int fd) {
    const QByteArray path = QFile::encodeName(path_);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // Another start judged the new file stale before it named its owner.
        ::close(fd);
        return false;
    }
    if (!WriteWhole(fd, OwnerLines())) {
        const int error = errno;
        ::unlink(path.constData());
        ::close(fd);
        SetFailure(error);
        return false;
    }
    fd_ = fd;
    return true;
}

// Removes the lock when no one holds it and its owner is gone; false when it
// stays. Judged and removed through one descriptor, so a lock made anew in
// the meantime is never the one removed.
bool InstanceLock::RemoveIfStale() const {
    const QByteArray path = QFile::encodeName(path_);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT; // gone meanwhile: try again
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && !OwnerRuns(fd) && SameFile(fd, path))
        removed = ::unlink(path.constData()) == 0 || errno == ENOENT;
    ::close(fd);
    return removed;
}

// A lock that another start has only just made may not name its owner yet:
// the owner is given a moment to appear. One that never names an owner (empty
// or garbled) has none that could run.
bool InstanceLock::OwnerRuns(int fd) const {
    for (int look = 0; look < kOwnerLooks; ++look) {
        char bytes[4096];
        const ssize_t size = ::pread(fd, bytes, sizeof bytes, 0);
        const QByteArrayList lines = QByteArray(bytes, size > 0 ? size : 0).split('\n');
        bool isNumber = false;
        if (lines.size() > 1 && lines[0].trimmed().toLongLong(&isNumber) > 0 && isNumber)
            return NamedOwnerRuns(lines);
        QThread::msleep(kOwnerLookInterval);
    }
    return false;
}

void InstanceLock::SetFailure(int error) {
    failure_ = path_ + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

} // namespace kelvo
