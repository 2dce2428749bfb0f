#pragma once

// A window's parts, found by the component names they carry as object names.
// The windows keep their parts private; tests reach them by name, as a user
// reaches them by sight, never through the window's members.

#include <QApplication>
#include <QWidget>

namespace kelvo::testing {

// The part of window named name. A part that is not there ends the test
// program with its name, rather than a crash further on.
template <typename T> T* Part(const QObject& window, const char* name) {
    T* part = window.findChild<T*>(QString::fromLatin1(name));
    if (!part)
        qFatal("no part %s in %s", name, qPrintable(window.objectName()));
    return part;
}

// A part of no window, such as the tray icon's menu.
template <typename T> T* PartOfNoWindow(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* part = qobject_cast<T*>(widget);
        if (part && !part->parent() && part->objectName() == QLatin1String(name))
            return part;
    }
    qFatal("no part %s outside the windows", name);
}

} // namespace kelvo::testing
