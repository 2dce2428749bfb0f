#pragma once

#include <QString>

#include <string>

namespace kelvo {

// Path parts, split at the platform separator only.
QString FileNamePart(const QString& path);
// The folder up to and including its last separator; empty without one.
QString FolderPart(const QString& path);
// The folder as stored: with a trailing separator, unless empty.
QString WithTrailingSeparator(const QString& folder);
// The path in the file system's own encoding, for the plain C++ file helpers.
std::string LocalPath(const QString& path);
// C0 and C1 controls and DEL: never part of a name, a folder or an address
// Kelvo keeps; a line break among them would split a line of its files.
bool IsControlCharacter(QChar c);
bool HasControlCharacter(const QString& text);

} // namespace kelvo
