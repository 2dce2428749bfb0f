#pragma once

#include <QString>

#include <functional>

namespace kelvo {

// Shortens a folder text to fit a width: the first directories give way to
// "..." one at a time ("/.../c/d/", "/.../d/"), then the leading separator
// ("..." + "/"), then everything. measure gives a text's width.
QString ShortenPath(const QString& path, int width,
                    const std::function<int(const QString&)>& measure);

} // namespace kelvo
