#include "browser/NativeMessages.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace kelvo {
namespace {

// How many of size bytes could be read before the input ended or failed.
size_t ReadUpTo(int fd, char* into, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, into + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += size_t(got);
    }
    return done;
}

bool WriteExactly(int fd, const char* from, size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, from, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        from += put;
        size -= size_t(put);
    }
    return true;
}

} // namespace

std::optional<QByteArray> ReadNativeMessage(int fd, bool* broken) {
    uint32_t length = 0;
    char head[sizeof length];
    const size_t headRead = ReadUpTo(fd, head, sizeof head);
    QByteArray message;
    bool whole = false;
    if (headRead == sizeof head) {
        std::memcpy(&length, head, sizeof length);
        message.resize(qsizetype(length));
        whole = ReadUpTo(fd, message.data(), length) == length;
    }
    if (broken)
        *broken = headRead != 0 && !whole; // nothing at all: the browser is done
    return whole ? std::optional<QByteArray>(message) : std::nullopt;
}

bool WriteNativeMessage(int fd, const QByteArray& json) {
    if (json.size() > kLargestAnswer)
        return false;
    const auto length = static_cast<uint32_t>(json.size());
    char head[sizeof length];
    std::memcpy(head, &length, sizeof length);
    return WriteExactly(fd, head, sizeof head) &&
           WriteExactly(fd, json.constData(), size_t(json.size()));
}

} // namespace kelvo
