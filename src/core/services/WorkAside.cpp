#include "services/WorkAside.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <thread>

namespace kelvo {

void RunHere(const std::function<void()>& work) {
    work();
}

void RunAsideAndWait(const std::function<void()>& work) {
    if (!QCoreApplication::instance()) {
        work();
        return;
    }
    QEventLoop loop;
    // Queued: a quit posted before the loop starts still ends it.
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
}

} // namespace kelvo
