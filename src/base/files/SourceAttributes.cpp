#include "files/SourceAttributes.h"

#include <cerrno>
#include <sys/xattr.h>
#include <vector>

namespace kelvo {
namespace {

constexpr const char* kOrigin = "user.xdg.origin.url";
constexpr const char* kReferrer = "user.xdg.referrer.url";

AttributesResult WriteOne(const std::string& path, const char* name, const std::string& value) {
    if (value.empty() || ::setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0)
        return AttributesResult::Written;
    return errno == ENOTSUP ? AttributesResult::Unsupported : AttributesResult::Failed;
}

std::string ReadOne(const std::string& path, const char* name) {
    const ssize_t size = ::getxattr(path.c_str(), name, nullptr, 0);
    if (size <= 0)
        return {};
    std::vector<char> value(static_cast<size_t>(size));
    const ssize_t got = ::getxattr(path.c_str(), name, value.data(), value.size());
    return got < 0 ? std::string() : std::string(value.data(), static_cast<size_t>(got));
}

} // namespace

AttributesResult WriteSourceAttributes(const std::string& path, const SourceAttributes& source) {
    const AttributesResult origin = WriteOne(path, kOrigin, source.originAddress);
    return origin != AttributesResult::Written ? origin
                                               : WriteOne(path, kReferrer, source.referrerAddress);
}

SourceAttributes ReadSourceAttributes(const std::string& path) {
    return {ReadOne(path, kOrigin), ReadOne(path, kReferrer)};
}

} // namespace kelvo
