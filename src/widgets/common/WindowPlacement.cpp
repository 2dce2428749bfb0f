#include "common/WindowPlacement.h"

#include "session/SettingsFile.h"
#include "session/WindowBounds.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kelvo {
namespace {

constexpr QSize kMinimumWindow(120, 100);

} // namespace

void CentreOnScreen(QWidget& window) {
    const QWidget* owner = window.parentWidget();
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), window.frameGeometry().size());
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

QRect ReachableStoredBounds(const SettingsFile& settings, const WindowSettings& keys) {
    const QRect stored(settings.Integer(keys.left), settings.Integer(keys.top),
                       settings.Integer(keys.width), settings.Integer(keys.height));
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    return ReachableBounds(stored, screens, kMinimumWindow);
}

} // namespace kelvo
