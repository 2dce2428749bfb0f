#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Replaces the file through a temporary file in the same folder, flushed to
// disk and renamed over the target. On any error the old file stays as it
// was, the temporary file is removed, and false is returned.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

} // namespace kelvo
