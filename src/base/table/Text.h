#pragma once

#include <optional>
#include <string_view>

namespace kelvo {

// A stored value as handed in or out: a text (possibly empty) or absent.
// Texts handed out are borrowed from the table and stay valid until that value
// is replaced, the table is cleared or destroyed.
using Text = std::optional<std::string_view>;

} // namespace kelvo
