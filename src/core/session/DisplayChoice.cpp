#include "session/DisplayChoice.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace kelvo {

DisplayEnvironment CurrentDisplayEnvironment() {
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"),
            qgetenv("XDG_SESSION_TYPE")};
}

QByteArray ForcedPlatform(const DisplayEnvironment& environment) {
    if (!environment.qpaPlatform.isEmpty() || environment.x11Display.isEmpty())
        return {};
    // The same signs by which Qt itself would pick Wayland.
    const bool wayland =
        !environment.waylandDisplay.isEmpty() || environment.sessionType == "wayland";
    // A DISPLAY left over from elsewhere must not cost the Wayland session.
    return wayland ? QByteArrayLiteral("xcb;wayland") : QByteArray();
}

bool PreferX11ForWindow() {
    const QByteArray platform = ForcedPlatform(CurrentDisplayEnvironment());
    return !platform.isEmpty() && qputenv("QT_QPA_PLATFORM", platform);
}

QString StackingHint(const QString& platformName) {
    // Wayland lets no client put itself above the others.
    if (!platformName.startsWith(QLatin1String("wayland")))
        return {};
    return QCoreApplication::translate("DisplayChoice",
                                       "Wayland では最前面表示はデスクトップが決めます"
                                       "（ウィンドウメニューで常に手前に固定できます）。");
}

} // namespace kelvo
