#pragma once

#include <QString>

class QMainWindow;

namespace kelvo {

// A sentence that a narrow window's status bar would cut: shown wrapped to the
// window's width just above the bar for a while, and kept as the bar's tool
// tip for a later look. Notices shown together stack upwards. name is the
// notice's object name.
void ShowWrappedNotice(QMainWindow& window, const QString& name, const QString& text,
                       int milliseconds);

// Whether text fits the window's status bar on one line.
bool FitsStatusBar(const QMainWindow& window, const QString& text);

} // namespace kelvo
