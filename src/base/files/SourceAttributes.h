#pragma once

#include <string>

namespace kelvo {

// Where a file came from, as browsers record it on a download: the freedesktop
// common extended attributes user.xdg.origin.url and user.xdg.referrer.url,
// which file managers and KDE's file metadata read.
struct SourceAttributes {
    std::string originAddress;   // the image's own address
    std::string referrerAddress; // the page it was on
};

enum class AttributesResult { Written, Unsupported, Failed };

// Writes the addresses that are not empty onto the file. Unsupported where the
// file system keeps no user attributes: no fault of the file's. Failed for a
// real refusal (no permission, no space).
AttributesResult WriteSourceAttributes(const std::string& path, const SourceAttributes& source);

// The addresses the file carries; empty where it carries none or cannot say.
SourceAttributes ReadSourceAttributes(const std::string& path);

} // namespace kelvo
