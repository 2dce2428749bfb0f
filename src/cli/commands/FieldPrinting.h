#pragma once

#include <string>
#include <string_view>

namespace kelvo {

class CommandOutput;

// A value (UTF-8) on one tab-separated line, reversibly: \\, \t, \n and \r
// escaped. The text itself when none of them is in it, else the escaped
// text, made in scratch.
std::string_view EscapeTableField(std::string_view text, std::string& scratch);

// Prints a table's text escaped as above, in UTF-8: as it is when it is
// UTF-8, else decoded from Shift-JIS (the old program's). scratch is for
// reuse from one text to the next.
void PrintTableField(std::string_view text, std::string& scratch, CommandOutput& out);

} // namespace kelvo
