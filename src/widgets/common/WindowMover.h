#pragma once

#include <QObject>

#include <functional>
#include <initializer_list>

class QWidget;

namespace kelvo {

// Lets the user drag a window by its body: a mouse-button press on one of the
// handles moves the window as if its caption had been grabbed. A press on a
// blocker is taken there, so it never reaches a handle that contains it.
class WindowMover : public QObject {
    Q_OBJECT

public:
    WindowMover(QWidget* window, std::initializer_list<QWidget*> handles,
                std::initializer_list<QWidget*> blockers);

    // What starts the move; tests put a recorder here.
    void SetStarter(std::function<void()> start) { start_ = std::move(start); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> start_;
    QList<QObject*> blockers_;
};

} // namespace kelvo
