#pragma once

#include "table/TConcordances.h"

#include <string_view>

namespace kelvo {

// Compares a row's text with a value under one of "<", ">", "=", "<=", ">=",
// byte by byte, or "LIKE" (in any letter case) as prepared by the options.
// Any other operator gives false.
bool CompareByOperator(const TConcordances& options, std::string_view rowText, std::string_view op,
                       std::string_view value);

// The wildcard matcher: ? any byte, # a digit, [a-c] and [!a-c] classes,
// * runs. A * run never backtracks: it ends at the first later occurrence of
// the byte that follows it.
bool LikeMatch(std::string_view pattern, std::string_view text);

} // namespace kelvo
