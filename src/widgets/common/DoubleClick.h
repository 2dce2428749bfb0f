#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

#include <functional>

namespace kelvo {

// Runs an action when the widget is double-clicked; the double-click is taken.
// The handler is a child of the widget, so "new DoubleClick(...)" needs no delete.
class DoubleClick : public QObject {
public:
    DoubleClick(QWidget* widget, std::function<void()> action)
        : QObject(widget), action_(std::move(action)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonDblClick)
            return QObject::eventFilter(watched, event);
        if (action_)
            action_();
        return true;
    }

private:
    std::function<void()> action_;
};

} // namespace kelvo
