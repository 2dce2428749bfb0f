#include "session/DisplayLanguage.h"

#include "session/HomeFiles.h"
#include "session/SettingsFile.h"

namespace kelvo {
namespace {

constexpr char16_t kEnglishCode[] = u"en";
constexpr char16_t kJapaneseCode[] = u"ja";

} // namespace

DisplayLanguage LanguageOf(const SettingsFile& settings) {
    const QString code = settings.String(StringSetting::Language);
    return code.compare(QStringView(kEnglishCode), Qt::CaseInsensitive) == 0
               ? DisplayLanguage::English
               : DisplayLanguage::Japanese;
}

void SetLanguage(SettingsFile& settings, DisplayLanguage language) {
    settings.Set(
        StringSetting::Language,
        QString::fromUtf16(language == DisplayLanguage::English ? kEnglishCode : kJapaneseCode));
}

DisplayLanguage StoredLanguage(const QString& homeFolder) {
    SettingsFile settings(homeFolder); // the destination's default plays no part
    settings.Read(SettingsFilePath(homeFolder));
    return LanguageOf(settings);
}

} // namespace kelvo
