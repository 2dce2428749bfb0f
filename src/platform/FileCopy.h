#pragma once

#include <string>

namespace kelvo {

enum class CopyResult { Copied, TargetExists, FolderMissing, Failed };

// Copies source to target without ever replacing a file: the data goes to a
// temporary file in the target's folder first and then appears under the
// target name whole, or not at all. A name taken by another process in the
// meantime gives TargetExists.
CopyResult CopyFileNoReplace(const std::string& source, const std::string& target);

// Copies source to target, replacing a file there, through a temporary file
// and a rename.
CopyResult CopyFileReplacing(const std::string& source, const std::string& target);

enum class RenameResult { Renamed, TargetExists, Failed };

// Gives the file another name without ever replacing a file of that name.
RenameResult RenameFileNoReplace(const std::string& from, const std::string& to);

// Sets the file's modification time, to the second; false when it cannot.
bool SetModificationTime(const std::string& path, long long secondsSinceEpoch);

} // namespace kelvo
