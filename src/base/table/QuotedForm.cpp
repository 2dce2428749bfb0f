// The quoted form: every value of a "STRING" column between quote characters
// with inner quotes doubled; other columns bare, followed by the separator
// even after the last value of a line.

#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A token of the reader. Most tokens are one contiguous stretch of the file
// and are kept as a view; only tokens with dropped bytes inside are copied.
class Token {
public:
    void Reset() {
        view_ = {};
        copied_ = false;
        wasQuoted = false;
        delimiter = 0;
    }
    void Append(const char* bytes, size_t count) {
        if (count == 0)
            return;
        if (!copied_ && (view_.empty() || view_.data() + view_.size() == bytes)) {
            view_ = std::string_view(view_.empty() ? bytes : view_.data(), view_.size() + count);
            return;
        }
        if (!copied_) {
            buffer_.assign(view_);
            copied_ = true;
        }
        buffer_.append(bytes, count);
    }
    std::string_view Value() const { return copied_ ? std::string_view(buffer_) : view_; }
    // Copies a view out of the block it points into.
    void Detach() {
        if (!copied_) {
            buffer_.assign(view_);
            copied_ = true;
        }
    }
    bool EndsLine() const { return delimiter != kSeparator; }

    bool wasQuoted = false;
    char delimiter = 0; // the separator, LF, or 0 at the end of the file

private:
    std::string_view view_;
    std::string buffer_;
    bool copied_ = false;
};

// Values are short: a 16-byte step finds the closing quote of most of them at
// once, where a call to memchr would cost more than the search.
size_t FindQuote(const char* data, size_t from, size_t size) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8(kQuote);
    for (; from + 16 <= size; from += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, quote));
        if (hits != 0)
            return from + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    const void* found = std::memchr(data + from, kQuote, size - from);
    return found ? static_cast<size_t>(static_cast<const char*>(found) - data) : size;
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

// Reads the file a block at a time. A token that is still a view into a block
// is copied out before the block is replaced.
class QuotedReader {
public:
    QuotedReader(const NextBlock& next, TMlb2& table) : next_(next), table_(table) {}

    void Run(size_t sizeHint) {
        if (!Fill())
            return;
        table_.ReserveRows(EstimatedRows(block_, sizeHint));
        ReadHeader();
        while (Fill())
            ReadRow();
        if (firstColumnMark_)
            table_.SetColumnType(1, *firstColumnMark_);
    }

private:
    // False at the end of the file.
    bool Fill() {
        if (pos_ < block_.size())
            return true;
        token_.Detach();
        block_ = next_();
        pos_ = 0;
        return !block_.empty();
    }

    void ReadHeader() {
        do {
            ReadToken();
            if (!token_.Value().empty())
                table_.AddColumn(token_.Value());
        } while (!token_.EndsLine());
    }

    // The end of the file ends a last line like a line end would, so a last
    // line without its line end loses nothing.
    void ReadRow() {
        ReadToken();
        if (token_.delimiter == 0 && token_.Value().empty() && !token_.wasQuoted)
            return;
        table_.AppendRow();
        table_.MoveLast();
        MarkFirstColumn();
        for (int column = 1;; ++column) {
            if (!token_.Value().empty())
                table_.SetValueAt(column, token_.Value());
            if (token_.EndsLine())
                break;
            ReadToken();
        }
    }

    // Only column 1 is typed, by its value in every row: the last row decides.
    void MarkFirstColumn() {
        if (!token_.Value().empty())
            firstColumnMark_ = token_.wasQuoted ? "STRING" : "FLOAT";
        else if (!token_.wasQuoted)
            firstColumnMark_ = "STRING";
    }

    void ReadToken() {
        token_.Reset();
        bool inQuotes = false;
        while (Fill()) {
            const char* data = block_.data();
            const size_t size = block_.size();
            if (inQuotes) {
                inQuotes = ReadQuotedStretch(data, size);
                continue;
            }
            const char c = data[pos_++];
            if (c == kQuote) {
                inQuotes = true;
                token_.wasQuoted = true;
            } else if (c == kSeparator || c == '\n') {
                token_.delimiter = c;
                return;
            } else if (c != ' ' && c != '\r') {
                token_.Append(data + pos_ - 1, 1);
            }
        }
        token_.delimiter = 0;
    }

    // Takes bytes up to the next quote character; returns whether the stretch
    // goes on. A doubled quote character stands for one, also across blocks.
    bool ReadQuotedStretch(const char* data, size_t size) {
        const size_t end = FindQuote(data, pos_, size);
        token_.Append(data + pos_, end - pos_);
        pos_ = end;
        if (pos_ == size)
            return true;
        ++pos_;
        if (!Fill())
            return false;
        if (block_[pos_] != kQuote)
            return false;
        token_.Append(&kQuote, 1);
        ++pos_;
        return true;
    }

    const NextBlock& next_;
    std::string_view block_;
    size_t pos_ = 0;
    TMlb2& table_;
    Token token_;
    std::optional<std::string_view> firstColumnMark_;
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
    bool given = false;
    const NextBlock whole = [&]() -> std::string_view {
        return std::exchange(given, true) ? std::string_view() : bytes;
    };
    QuotedReader(whole, table).Run(bytes.size());
}

void ReadQuotedFormBlocks(const NextBlock& next, size_t sizeHint, TMlb2& table) {
    QuotedReader(next, table).Run(sizeHint);
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
    if (bytes.ends_with('\n') && std::count(bytes.begin(), bytes.end(), kQuote) % 2 == 0)
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
