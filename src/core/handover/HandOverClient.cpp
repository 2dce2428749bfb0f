#include "handover/HandOverClient.h"
#include "text/PathText.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kelvo {
namespace {

constexpr int kConnectTimeout = 1000; // ms

// A descriptor closed at the end of its scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Whether the socket became ready for events within the time; a signal does
// not shorten the wait.
bool WaitFor(int fd, short events, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    pollfd watched{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&watched, 1, int(deadline.remainingTime()));
        if (ready >= 0)
            return ready > 0;
        if (errno != EINTR)
            return false;
    }
}

// A socket connected to the path, or none when nothing listens there. A
// listener with a full backlog refuses a non-blocking connect for now rather
// than making it wait, so it is asked again until the time is up.
int ConnectTo(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    const QDeadlineTimer deadline(kConnectTimeout);
    while (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if ((errno != EAGAIN && errno != EINTR) || deadline.hasExpired()) {
            ::close(fd);
            return -1;
        }
        ::usleep(5000);
    }
    return fd;
}

bool SendAll(int fd, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t sent = ::send(fd, bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL);
        if (sent > 0)
            bytes = bytes.sliced(sent);
        else if (errno != EINTR && !(errno == EAGAIN && WaitFor(fd, POLLOUT, kConnectTimeout)))
            return false;
    }
    return true;
}

} // namespace

std::optional<int> HandOverCapture(const QString& homeFolder, const HandedCapture& capture,
                                   const OutcomePrinter& print, QTextStream& err,
                                   int silenceLimit) {
    const QString path = InstanceSocketPath(homeFolder);
    const Descriptor socket(ConnectTo(LocalPath(path)));
    if (socket.get() < 0)
        return std::nullopt;
    if (!IsOwnUser(socket.get())) {
        err << "kelvo capture: " << path << " belongs to another user" << Qt::endl;
        return 1;
    }
    // A window gone before reading it shows in the reading below.
    SendAll(socket.get(), handover::RequestBytes(capture));

    bool allSaved = true;
    QByteArray pending;
    char buffer[4096];
    // A clash dialog may keep the window busy for as long as the user likes;
    // meanwhile it says so every kHandOverHeartbeat.
    for (;;) {
        if (!WaitFor(socket.get(), POLLIN, silenceLimit)) {
            err << "kelvo capture: the Kelvo window stopped answering" << Qt::endl;
            return 1;
        }
        const ssize_t received = ::read(socket.get(), buffer, sizeof buffer);
        if (received < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (received <= 0)
            return 1; // the window went away before it answered
        pending.append(buffer, received);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end + 1);
            pending.remove(0, end + 1);
            if (line == handover::kEndLine)
                return allSaved ? 0 : 1;
            if (const auto outcome = handover::ParseOutcomeLine(line.chopped(1))) {
                print(*outcome);
                allSaved = allSaved && outcome->kind != HandedOutcome::Kind::Failed;
            }
        }
    }
}

} // namespace kelvo
