// The quoted form: every value of a "STRING" column between quote characters
// with inner quotes doubled; other columns bare, followed by the separator
// even after the last value of a line.

#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <cstring>

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
    bool EndsLine() const { return delimiter != kSeparator; }

    bool wasQuoted = false;
    char delimiter = 0; // the separator, LF, or 0 at the end of the file

private:
    std::string_view view_;
    std::string buffer_;
    bool copied_ = false;
};

class QuotedReader {
public:
    QuotedReader(std::string_view bytes, TMlb2& table) : bytes_(bytes), table_(table) {}

    void Run() {
        ReadHeader();
        while (pos_ < bytes_.size())
            ReadRow();
        if (firstColumnMark_)
            table_.SetColumnType(1, *firstColumnMark_);
    }

private:
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
        const char* data = bytes_.data();
        const size_t size = bytes_.size();
        while (pos_ < size) {
            if (inQuotes) {
                const void* quote = std::memchr(data + pos_, kQuote, size - pos_);
                const size_t end = quote ? static_cast<const char*>(quote) - data : size;
                token_.Append(data + pos_, end - pos_);
                pos_ = end;
                if (pos_ == size)
                    break;
                if (pos_ + 1 < size && data[pos_ + 1] == kQuote) {
                    token_.Append(data + pos_, 1);
                    pos_ += 2;
                } else {
                    inQuotes = false;
                    ++pos_;
                }
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

    std::string_view bytes_;
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
    QuotedReader(bytes, table).Run();
}

std::string WriteQuotedForm(const TMlb2& table) {
    std::string out;
    out.reserve(EstimatedSize(table));
    WriteHeader(table, out);
    std::vector<bool> quotedColumns;
    for (int n = 1; n <= table.ColumnCount(); ++n)
        quotedColumns.push_back(table.GetColumnType(n) == std::string_view("STRING"));
    const TMLBList& rows = table.Rows();
    for (int r = 1; r <= rows.Count(); ++r)
        WriteRow(*rows.At(r), quotedColumns, out);
    return out;
}

} // namespace kelvo
