#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// Text as search compares it: NFKC_Casefold (Unicode's, through ICU), so
// that full-width and half-width forms, ligatures and upper and lower case
// meet (ﾊﾞｲﾄ, バイト; ABC, ａｂｃ; ﬁle, file; Straße, STRASSE), and invisible
// characters (a soft hyphen, a zero-width space) are dropped. UTF-8 in and out.
// A folded text is the folded texts of its pieces, cut anywhere but before a
// character that joins the one before it (a combining mark, a voiced mark, a
// Hangul vowel). Bytes that are no UTF-8 fold as U+FFFD, and make it false.
// ASCII, kana and ideographs are folded without ICU.
bool AppendSearchFolded(std::string_view utf8, std::string& out);
std::string SearchFolded(std::string_view utf8);

// The folded words of what was typed, split at spaces (a full-width space
// folds to one); none for a text of spaces.
std::vector<std::string> SearchWords(std::string_view utf8);

} // namespace kelvo
