#include "table/TableForms.h"

#include "files/PathParts.h"

namespace kelvo {

TableForm FormForPath(std::string_view path) {
    if (path.size() < 3)
        return TableForm::Escaped;
    std::string ending(path.substr(path.size() - 3));
    for (char& c : ending) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    if (ending == "TXT")
        return TableForm::Quoted;
    if (ending == "MLB")
        return TableForm::Binary;
    return TableForm::Escaped;
}

std::string TableNameFromPath(std::string_view path) {
    auto dot = path.rfind('.');
    if (dot == std::string_view::npos)
        dot = path.size();
    const auto separator = LastSeparator(path, dot);
    const auto start = separator == std::string_view::npos ? 0 : separator + 1;
    return std::string(path.substr(start, dot - start));
}

} // namespace kelvo
