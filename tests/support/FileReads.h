#pragma once

#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace kelvo::testing {

// How many times a file was opened and read, by anyone, from now on: the
// number of copies made of it. The kernel reports each open and each read of
// the file (inotify); the reads of one open count once, however many chunks
// they take.
class FileReads {
public:
    explicit FileReads(const std::string& path)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          watching_(fd_ >= 0 && ::inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_ACCESS) >= 0) {}
    FileReads(const FileReads&) = delete;
    FileReads& operator=(const FileReads&) = delete;
    ~FileReads() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool Watching() const { return watching_; }

    int Count() {
        alignas(inotify_event) char buffer[4096];
        ssize_t size;
        while ((size = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->mask & IN_OPEN)
                    unreadOpen_ = true;
                if ((event->mask & IN_ACCESS) && unreadOpen_) {
                    unreadOpen_ = false;
                    ++count_;
                }
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count_;
    }

private:
    int fd_;
    bool watching_;
    bool unreadOpen_ = false;
    int count_ = 0;
};

} // namespace kelvo::testing
