#pragma once

#include "session/DisplayLanguage.h"

class QApplication;
class QCoreApplication;
class QIcon;

namespace kelvo {

// Qt's own texts (question buttons, file dialogs, context menus) in Japanese
// like the rest of the program, whatever the system's language, and Japan's
// forms for dates and numbers, in the file dialogs' lists too. False when Qt's
// translation is not installed.
bool SpeakJapanese(QCoreApplication& app);
// Kelvo's own texts in English from its catalogue, which the build embeds, and
// Qt's own texts as Qt writes them. English forms for dates and numbers in
// Qt's dialogs; Kelvo's own dates stay as its logs write them. False when the
// catalogue cannot be loaded.
bool SpeakEnglish(QCoreApplication& app);
// Either, as the user chose.
bool SpeakLanguage(QCoreApplication& app, DisplayLanguage language);

// Kelvo's own icon in the usual sizes, drawn from its SVG.
QIcon KelvoIcon();

// What the desktop knows Kelvo by, and the language it speaks: the icon of
// every window, the tray and the version box, and the desktop file that
// describes it. Once, after the application is made and before any window.
void SetUpApplication(QApplication& app, DisplayLanguage language = DisplayLanguage::Japanese);

} // namespace kelvo
