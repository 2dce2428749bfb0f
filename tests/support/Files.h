#pragma once

// Whole files as bytes, for the tests on Qt. Nothing here fails a test: the
// callers assert in their own framework (GoogleTest or Qt Test).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <chrono>
#include <future>
#include <optional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo::testing {

// The whole file, or nothing when it cannot be opened.
inline std::optional<QByteArray> ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The whole file; `unreadable` when it cannot be opened, so that a test may
// tell a missing file from an empty one.
inline QByteArray ReadBytes(const QString& path, const QByteArray& unreadable = {}) {
    return ReadFile(path).value_or(unreadable);
}

// Replaces the file with the bytes; whether all of them were written.
inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Adds the bytes at the end of the file, as a hand edit would; whether all of
// them were written.
inline bool AppendBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

// As WriteBytes, making the folders on the way first.
inline bool WriteBytesMakingFolders(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteBytes(path, bytes);
}

// The path as the table store and the system calls take it.
inline std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Every name in the folder, hidden ones too, sorted: a temporary file left
// behind shows here.
inline QStringList EntriesOf(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Makes path a file that is there but cannot be read: one without permissions
// holding bytes, or, for root, who reads any file, a link to a file whose
// reads fail. False when neither could be made.
inline bool MakeUnreadableFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    const bool made = geteuid() != 0 ? WriteBytes(path, bytes) && QFile::setPermissions(path, {})
                                     : QFile::link(QStringLiteral("/proc/self/mem"), path);
    if (!made)
        return false;
    const int file = ::open(Native(path).c_str(), O_RDONLY);
    char byte;
    const bool unreadable = file < 0 || ::read(file, &byte, 1) < 0;
    if (file >= 0)
        ::close(file);
    return unreadable;
}

// Makes path a named pipe, making the folders on the way first.
inline bool MakePipe(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    return ::mkfifo(Native(path).c_str(), 0600) == 0;
}

// Calls call on a thread of its own; whether it opened the named pipe at path
// for reading meanwhile. Such an open waits for a writer: the pipe's other end
// is opened and closed at once, so that the call reads an empty pipe and
// returns, rather than keeping the test waiting.
template <typename Call> bool OpensPipeForReading(const QString& path, Call call) {
    std::future<void> returned = std::async(std::launch::async, call);
    bool opened = false;
    while (returned.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        // Fails while no reader has the pipe open.
        const int writer = ::open(Native(path).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0) {
            opened = true;
            ::close(writer);
        }
    }
    returned.get();
    return opened;
}

} // namespace kelvo::testing
