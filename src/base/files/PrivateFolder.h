#pragma once

#include <string>

namespace kelvo {

// Whether folder is one of this user's that no one else may enter, list or
// change: a folder itself, not a link to one, with no group or other bits.
// False for anything else, or nothing, by that name.
bool IsPrivateFolder(const std::string& folder);

// What has the name after MakePrivateFolder.
enum class MadeFolder {
    Private,    // a private folder (IsPrivateFolder), made now or before
    NotPrivate, // a folder made by someone else, or a link to one, kept as it is
    Missing,    // no folder: the folder above it is missing, or a file has the name
};

// Makes folder with mode 0700 (less the umask) when nothing has its name; the
// folder above it must be there. A folder there already is left as it is:
// the answer says whether it is private, for a caller that needs it to be.
MadeFolder MakePrivateFolder(const std::string& folder);

} // namespace kelvo
