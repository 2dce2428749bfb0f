#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace kelvo {

class TMlb2;

enum class TableForm { Quoted, Escaped, Binary };

// By the last three characters of the path, a-z folded to upper case:
// "TXT" quoted, "MLB" binary, anything else escaped.
TableForm FormForPath(std::string_view path);

// The text between the last separator before the last dot and that dot.
std::string TableNameFromPath(std::string_view path);

// Readers fill a table that has just been cleared. The text forms accept any
// bytes; the binary reader returns false for a file it cannot take whole.
void ReadQuotedForm(std::string_view bytes, TMlb2& table);
// The next block of a file's bytes; an empty block ends the file.
using NextBlock = std::function<std::string_view()>;
// The quoted form of a file handed over a block at a time, gathered and read
// whole; sizeHint is the file's expected size.
void ReadQuotedFormBlocks(const NextBlock& next, size_t sizeHint, TMlb2& table);
// The same from bytes in the table's storage (TMlb2::TextStorage), which the
// reading rewrites: values stay where they lie, moved up over the bytes that
// are dropped (quotes, a doubled quote's second one, spaces and CR outside
// quotes).
void ReadQuotedFormInPlace(std::span<char> bytes, TMlb2& table);
void ReadEscapedForm(std::string_view bytes, TMlb2& table);
bool ReadBinaryForm(std::string_view bytes, TMlb2& table);

// Writers give the whole file; line ends are CR LF.
std::string WriteQuotedForm(const TMlb2& table);
// One row's line (1-based row), exactly as WriteQuotedForm writes it.
std::string WriteQuotedFormRow(const TMlb2& table, int row);
// The length of the quoted-form bytes up to the last line end outside a quoted
// stretch: what is left after it is a last line cut short, such as a row
// whose append a crash stopped.
size_t QuotedFormWholeLines(std::string_view bytes);
// The number of values on one line of the quoted form (separators outside
// quoted stretches, plus one).
size_t QuotedFormFieldCount(std::string_view line);
std::string WriteEscapedForm(const TMlb2& table);
std::string WriteBinaryForm(const TMlb2& table);

} // namespace kelvo
