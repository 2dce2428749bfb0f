#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// Text as search compares it: NFKC, then case-folded, so that full-width and
// half-width forms and upper and lower case meet (ﾊﾞｲﾄ, バイト; ABC, ａｂｃ).
// UTF-8 in and out. A character is folded with the combining marks that follow
// it, so a folded text is the folded texts of its pieces, cut anywhere but
// before a mark. Bytes that are no UTF-8 fold as U+FFFD, and make it false.
bool AppendSearchFolded(std::string_view utf8, std::string& out);
std::string SearchFolded(std::string_view utf8);

// The folded words of what was typed, split at spaces (a full-width space
// folds to one); none for a text of spaces.
std::vector<std::string> SearchWords(std::string_view utf8);

} // namespace kelvo
