#include "common/WindowMover.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace kelvo {

WindowMover::WindowMover(QWidget* window, std::initializer_list<QWidget*> handles,
                         std::initializer_list<QWidget*> blockers)
    : QObject(window), start_([window] {
          if (QWindow* handle = window->windowHandle())
              handle->startSystemMove();
      }) {
    for (QWidget* handle : handles)
        handle->installEventFilter(this);
    for (QWidget* blocker : blockers) {
        blocker->installEventFilter(this);
        blockers_ << blocker;
    }
}

bool WindowMover::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress)
        return QObject::eventFilter(watched, event);
    event->accept();
    if (!blockers_.contains(watched) && start_)
        start_();
    return true;
}

} // namespace kelvo
