#include "services/EndSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace kelvo {
namespace {

int pipeEnds[2] = {-1, -1}; // [0] read by the event loop, [1] written by the handler
std::vector<int> handled;

void WriteSignal(int signalNumber) {
    const int saved = errno; // the interrupted code may be about to read errno
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
    errno = saved;
}

void SetHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // reads and writes elsewhere carry on
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

EndSignals::EndSignals(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent) {
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep ending the process, as without this object
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::ReadPipe);
    for (const int signalNumber : signalNumbers) {
        SetHandler(signalNumber, WriteSignal);
        handled.push_back(signalNumber);
    }
}

EndSignals::~EndSignals() {
    for (const int signalNumber : handled)
        SetHandler(signalNumber, SIG_DFL);
    handled.clear();
    for (int& end : pipeEnds) {
        if (end >= 0)
            close(end);
        end = -1;
    }
}

void EndSignals::ReadPipe() {
    unsigned char byte = 0;
    while (read(pipeEnds[0], &byte, 1) == 1)
        emit Received(byte);
}

} // namespace kelvo
