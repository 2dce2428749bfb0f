#include "destinations/CurrentDestination.h"

#include "app/SettingsFile.h"
#include "platform/PathParts.h"

namespace kelvo {

namespace {

// Stored folders end with the separator, so that a file name can be appended.
QString WithTrailingSeparator(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char(kPathSeparator)))
        folder += QLatin1Char(kPathSeparator);
    return folder;
}

} // namespace

CurrentDestination::CurrentDestination(QString homeFolder) : homeFolder_(std::move(homeFolder)) {}

void CurrentDestination::ReadFrom(const SettingsFile& settings) {
    Set(settings.String("Form", "DefSiki"), settings.String("Form", "DefFolder"));
}

void CurrentDestination::Set(const QString& identifier, const QString& folder) {
    identifier_ = identifier;
    folder_ = WithTrailingSeparator(folder);
}

QString CurrentDestination::CaptureFolder() const {
    return folder_.isEmpty() ? homeFolder_ : folder_;
}

} // namespace kelvo
