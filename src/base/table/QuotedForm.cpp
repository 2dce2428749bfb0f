// The quoted form: every value of a "STRING" column between quote characters
// with inner quotes doubled; other columns bare, followed by the separator
// even after the last value of a line.

#include "bytes/ByteCount.h"
#include "table/QuoteFinder.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace kelvo {
namespace {

constexpr char kSeparator = ';';
constexpr char kQuote = '"';
constexpr std::string_view kLineEnd = "\r\n";

void AppendDoubled(std::string& out, std::string_view text) {
    for (;;) {
        const auto quote = text.find(kQuote);
        if (quote == std::string_view::npos)
            break;
        out.append(text.substr(0, quote + 1));
        out.push_back(kQuote);
        text.remove_prefix(quote + 1);
    }
    out.append(text);
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back(kQuote);
    AppendDoubled(out, text);
    out.push_back(kQuote);
}

// memchr runs many bytes at a time, where a plain counting loop takes one.
size_t CountLines(std::string_view bytes) {
    size_t lines = 0;
    const char* at = bytes.data();
    const char* end = at + bytes.size();
    while ((at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at))))) {
        ++lines;
        ++at;
    }
    return lines;
}

// The rows to expect, from the lines of the first block and the file's size.
int EstimatedRows(std::string_view firstBlock, size_t sizeHint) {
    constexpr size_t kSample = 64 * 1024;
    const std::string_view sample = firstBlock.substr(0, kSample);
    if (sample.empty())
        return 0;
    const double lines = static_cast<double>(CountLines(sample)) *
                         static_cast<double>(std::max(sizeHint, firstBlock.size())) /
                         static_cast<double>(sample.size());
    return static_cast<int>(std::min(lines, 1e8));
}

// A value of the file as read, and what ended it.
struct Token {
    char* data = nullptr;
    size_t length = 0;
    bool wasQuoted = false;
    char delimiter = 0; // the separator, LF, or 0 at the end of the file
    bool EndsLine() const { return delimiter != kSeparator; }
};

// Reads a table from bytes of its own storage. A value that is one stretch of
// the file stays where it is; one with bytes dropped inside is moved together
// towards its start, which never overtakes the bytes still to be read.
class InPlaceReader {
public:
    InPlaceReader(std::span<char> bytes, TMlb2& table)
        : data_(bytes.data()), size_(bytes.size()), table_(table), quotes_(data_, size_) {}

    void Run() {
        if (size_ == 0)
            return;
        table_.ReserveRows(EstimatedRows({data_, size_}, size_));
        ReadHeader();
        while (pos_ < size_)
            ReadRow();
        if (!table_.IsEmpty())
            table_.MoveLast();
        if (firstColumnMark_)
            table_.SetColumnType(1, *firstColumnMark_);
    }

private:
    void ReadHeader() {
        Token token;
        do {
            ReadToken(token);
            if (token.length > 0)
                table_.AddColumn({token.data, token.length});
        } while (!token.EndsLine());
    }

    // The end of the file ends a last line like a line end would, so a last
    // line without its line end loses nothing.
    void ReadRow() {
        Token token;
        ReadToken(token);
        if (token.delimiter == 0 && token.length == 0 && !token.wasQuoted)
            return;
        MarkFirstColumn(token);
        values_.clear();
        for (;;) {
            values_.push_back({token.length > 0 ? token.data : nullptr, token.length});
            if (token.EndsLine())
                break;
            ReadToken(token);
        }
        table_.AppendStoredRow(values_.data(), static_cast<int>(values_.size()));
    }

    // Only column 1 is typed, by its value in every row: the last row decides.
    void MarkFirstColumn(const Token& token) {
        if (token.length > 0)
            firstColumnMark_ = token.wasQuoted ? "STRING" : "FLOAT";
        else if (!token.wasQuoted)
            firstColumnMark_ = "STRING";
    }

    void ReadToken(Token& token) {
        if (!ReadPlainQuoted(token))
            ReadAnyToken(token);
    }

    // The usual value, taken where it lies: quoted, nothing doubled inside,
    // right before the separator, a line end or the end of the file.
    bool ReadPlainQuoted(Token& token) {
        if (pos_ == size_ || data_[pos_] != kQuote)
            return false;
        const size_t close = quotes_.Next(pos_ + 1);
        if (close == size_)
            return false;
        size_t next = close + 1;
        if (next == size_) {
            token.delimiter = 0;
        } else if (data_[next] == kSeparator || data_[next] == '\n') {
            token.delimiter = data_[next++];
        } else if (data_[next] == '\r' && next + 1 < size_ && data_[next + 1] == '\n') {
            token.delimiter = '\n';
            next += 2;
        } else {
            return false;
        }
        token.data = data_ + pos_ + 1;
        token.length = close - pos_ - 1;
        token.wasQuoted = true;
        pos_ = next;
        return true;
    }

    // Any value: quoted stretches, with a doubled quote character standing
    // for one, and bare bytes but spaces and CR. Out of line, so that the
    // usual path stays short.
    [[gnu::noinline]] void ReadAnyToken(Token& token) {
        token = Token{};
        token.data = data_ + pos_;
        const auto keep = [&](size_t from, size_t count) {
            std::memmove(token.data + token.length, data_ + from, count);
            token.length += count;
        };
        while (pos_ < size_) {
            const char c = data_[pos_++];
            if (c == kQuote) {
                token.wasQuoted = true;
                ReadQuotedStretch(keep);
            } else if (c == kSeparator || c == '\n') {
                token.delimiter = c;
                return;
            } else if (c != ' ' && c != '\r') {
                keep(pos_ - 1, 1);
            }
        }
        token.delimiter = 0;
    }

    // From after an opening quote to after its closing one (or the end).
    template <typename Keep> void ReadQuotedStretch(const Keep& keep) {
        for (;;) {
            const size_t close = quotes_.Next(pos_);
            keep(pos_, close - pos_);
            pos_ = std::min(close + 1, size_);
            if (pos_ == size_ || data_[pos_] != kQuote)
                return;
            keep(pos_++, 1);
        }
    }

    char* data_;
    size_t size_;
    size_t pos_ = 0;
    TMlb2& table_;
    QuoteFinder quotes_;
    std::optional<std::string_view> firstColumnMark_;
    std::vector<StoredText> values_; // of the row being read
};

void WriteHeader(const TMlb2& table, std::string& out) {
    const int columns = table.ColumnCount();
    for (int n = 1; n <= columns; ++n) {
        AppendQuoted(out, table.GetColumnName(n).value_or(""));
        out.append(n < columns ? std::string_view(&kSeparator, 1) : kLineEnd);
    }
}

void WriteRow(const TMLBStringList& row, const std::vector<bool>& quotedColumns, std::string& out) {
    const int columns = static_cast<int>(quotedColumns.size());
    for (int n = 1; n <= columns; ++n) {
        const std::string_view value = row.At(n).value_or("");
        const bool last = n == columns;
        if (quotedColumns[static_cast<size_t>(n - 1)]) {
            AppendQuoted(out, value);
            out.append(last ? kLineEnd : std::string_view(&kSeparator, 1));
        } else {
            AppendDoubled(out, value);
            out.push_back(kSeparator);
            if (last)
                out.append(kLineEnd);
        }
    }
}

// Which columns the writer quotes: those typed exactly "STRING".
std::vector<bool> QuotedColumns(const TMlb2& table) {
    std::vector<bool> quoted;
    for (int n = 1; n <= table.ColumnCount(); ++n)
        quoted.push_back(table.GetColumnType(n) == std::string_view("STRING"));
    return quoted;
}

size_t EstimatedSize(const TMlb2& table) {
    size_t size = 0;
    const TMLBList& rows = table.Rows();
    for (int r = 1; r <= rows.Count(); ++r) {
        const TMLBStringList& row = *rows.At(r);
        for (int n = 1; n <= row.Count(); ++n)
            size += row.At(n).value_or("").size() + 3;
        size += 2;
    }
    return size + 64 * static_cast<size_t>(table.ColumnCount());
}

} // namespace

void ReadQuotedForm(std::string_view bytes, TMlb2& table) {
    char* storage = table.TextStorage(bytes.size());
    if (!bytes.empty())
        std::memcpy(storage, bytes.data(), bytes.size());
    ReadQuotedFormInPlace({storage, bytes.size()}, table);
}

void ReadQuotedFormBlocks(const NextBlock& next, size_t sizeHint, TMlb2& table) {
    std::string bytes;
    bytes.reserve(sizeHint);
    for (std::string_view block = next(); !block.empty(); block = next())
        bytes.append(block);
    ReadQuotedForm(bytes, table);
}

void ReadQuotedFormInPlace(std::span<char> bytes, TMlb2& table) {
    InPlaceReader(bytes, table).Run();
}

std::string WriteQuotedForm(const TMlb2& table) {
    std::string out;
    out.reserve(EstimatedSize(table));
    WriteHeader(table, out);
    const std::vector<bool> quotedColumns = QuotedColumns(table);
    const TMLBList& rows = table.Rows();
    for (int r = 1; r <= rows.Count(); ++r)
        WriteRow(*rows.At(r), quotedColumns, out);
    return out;
}

std::string WriteQuotedFormRow(const TMlb2& table, int row) {
    std::string out;
    if (const TMLBStringList* values = table.Rows().At(row))
        WriteRow(*values, QuotedColumns(table), out);
    return out;
}

// A doubled quote character inside a stretch closes and reopens it, so
// counting every quote character tells whether a byte lies inside one.
size_t QuotedFormWholeLines(std::string_view bytes) {
    // The usual case, in one counting pass: the last line break is the last
    // byte and lies outside quotes.
    if (bytes.ends_with('\n') && CountByte(bytes, kQuote) % 2 == 0)
        return bytes.size();
    size_t whole = 0;
    bool inQuotes = false;
    // A plain pass: find_first_of with a set tests each byte against the set
    // one by one and was the slowest part of reading a large day.
    for (size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == kQuote)
            inQuotes = !inQuotes;
        else if (bytes[at] == '\n' && !inQuotes)
            whole = at + 1;
    }
    return whole;
}

size_t QuotedFormFieldCount(std::string_view line) {
    size_t fields = 1;
    bool inQuotes = false;
    for (const char c : line) {
        if (c == kQuote)
            inQuotes = !inQuotes;
        else if (c == kSeparator && !inQuotes)
            ++fields;
    }
    return fields;
}

} // namespace kelvo
