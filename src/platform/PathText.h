#pragma once

#include <QString>

namespace kelvo {

// Path parts, split at the platform separator only.
QString FileNamePart(const QString& path);
// The folder up to and including its last separator; empty without one.
QString FolderPart(const QString& path);
// The folder as stored: with a trailing separator, unless empty.
QString WithTrailingSeparator(const QString& folder);

} // namespace kelvo
