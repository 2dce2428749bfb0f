#include "app/StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace kelvo {

void StartupProbe::InstallIfAsked(QWidget& window) {
    if (qEnvironmentVariableIsSet("KELVO_QUIT_WHEN_SHOWN"))
        window.installEventFilter(new StartupProbe(&window));
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // After this paint has reached the screen.
        QTimer::singleShot(0, qApp, [] {
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    }
    return false;
}

} // namespace kelvo
