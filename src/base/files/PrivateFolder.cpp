#include "files/PrivateFolder.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {
namespace {

// A trailing separator would make lstat follow a link.
std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

bool IsPrivateFolder(const std::string& folder) {
    struct stat st {};
    return ::lstat(WithoutTrailingSeparators(folder).c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

MadeFolder MakePrivateFolder(const std::string& folder) {
    // A failure, a name taken included, shows in what is there afterwards.
    ::mkdir(folder.c_str(), 0700);
    if (IsPrivateFolder(folder))
        return MadeFolder::Private;
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? MadeFolder::NotPrivate
                                                                   : MadeFolder::Missing;
}

} // namespace kelvo
