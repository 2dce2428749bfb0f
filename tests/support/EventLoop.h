#pragma once

// An event loop for tests of logic that reports through queued calls.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <memory>

namespace kelvo::testing {

// One application for the whole test program, whichever test comes first.
inline void EnsureCoreApplication() {
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "kelvo_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// Runs events until done() holds; false when it did not within the time.
template <typename Done> bool RunEventsUntil(Done done, int milliseconds = 10000) {
    EnsureCoreApplication();
    const QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

} // namespace kelvo::testing
