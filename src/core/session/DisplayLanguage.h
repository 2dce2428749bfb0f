#pragma once

#include <QString>

namespace kelvo {

class SettingsFile;

// The language the windows speak. Japanese is the program's own, whatever the
// system's language; English comes from the catalogue the window installs at
// its start, so a change takes effect at the next start.
enum class DisplayLanguage { Japanese, English };

// kelvo.ini's [Appearance] Language: "en" (in any case) is English; "ja",
// any other value and none are Japanese.
DisplayLanguage LanguageOf(const SettingsFile& settings);
void SetLanguage(SettingsFile& settings, DisplayLanguage language);

// The language the home's kelvo.ini names; Japanese when there is none or it
// cannot be read.
DisplayLanguage StoredLanguage(const QString& homeFolder);

} // namespace kelvo
