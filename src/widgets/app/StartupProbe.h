#pragma once

#include <QObject>

class QWidget;

namespace kelvo {

// With KELVO_QUIT_WHEN_SHOWN set, prints "shown" on stdout when the window is
// first painted and ends the run: scripts/measure.sh times the start from the
// outside with it. Without the variable it does nothing.
class StartupProbe : public QObject {
    Q_OBJECT

public:
    static void InstallIfAsked(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace kelvo
