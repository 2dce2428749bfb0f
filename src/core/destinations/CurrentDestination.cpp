#include "destinations/CurrentDestination.h"

#include "destinations/DestinationList.h"
#include "session/SettingsFile.h"

#include <utility>

namespace kelvo {

CurrentDestination::CurrentDestination(QString homeFolder) : homeFolder_(std::move(homeFolder)) {}

void CurrentDestination::ReadFrom(const SettingsFile& settings) {
    Set(settings.String(StringSetting::DestinationIdentifier),
        settings.String(StringSetting::DestinationFolder));
    index_ = settings.Integer(IntegerSetting::DestinationIndex);
}

void CurrentDestination::Set(const QString& identifier, const QString& folder) {
    identifier_ = identifier;
    folder_ = WithTrailingSeparator(folder);
}

QString CurrentDestination::CaptureFolder() const {
    return folder_.isEmpty() ? homeFolder_ : folder_;
}

Wording MissingFolderText(const QString& folder) {
    const QString named = folder.size() > 1 && folder.endsWith(u'/') ? folder.chopped(1) : folder;
    return Worded("CurrentDestination",
                  QT_TRANSLATE_NOOP("CurrentDestination", "保存先フォルダ %1 が存在しません。"))
        .arg(named);
}

} // namespace kelvo
