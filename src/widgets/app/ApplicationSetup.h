#pragma once

class QApplication;
class QCoreApplication;
class QIcon;

namespace kelvo {

// Qt's own texts (question buttons, file dialogs, context menus) in Japanese
// like the rest of the program, whatever the system's language, and Japan's
// forms for dates and numbers, in the file dialogs' lists too. False when Qt's
// translation is not installed.
bool SpeakJapanese(QCoreApplication& app);

// Kelvo's own icon in the usual sizes, drawn from its SVG.
QIcon KelvoIcon();

// What the desktop knows Kelvo by, and the language it speaks: the icon of
// every window, the tray and the version box, and the desktop file that
// describes it. Once, right after the application is made.
void SetUpApplication(QApplication& app);

} // namespace kelvo
