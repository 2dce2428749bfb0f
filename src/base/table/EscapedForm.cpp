// The escaped form: values separated by the separator, with LF, backslash and
// the separator escaped by a backslash. Column types are not kept.

#include "table/TMlb2.h"
#include "table/TableForms.h"

namespace kelvo {
namespace {

constexpr char kSeparator = ';';
constexpr char kEscape = '\\';
constexpr int kEnd = -1;

// Reads bytes as a text-mode stream does: CR LF comes out as LF.
class TextStream {
public:
    explicit TextStream(std::string_view bytes) : bytes_(bytes) {}
    int Next() {
        if (pos_ >= bytes_.size())
            return kEnd;
        const auto c = static_cast<unsigned char>(bytes_[pos_++]);
        if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') {
            ++pos_;
            return '\n';
        }
        return c;
    }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

// Names are split at every separator first, then unescaped.
std::string UnescapeName(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c != kEscape || i + 1 == name.size()) {
            out.push_back(c);
            continue;
        }
        const char next = name[i + 1];
        if (next == 'n') {
            out.push_back('\n');
        } else if (next == kSeparator || next == kEscape) {
            out.push_back(next);
        } else {
            out.push_back(c);
            continue;
        }
        ++i;
    }
    return out;
}

// A header cut off by the end of the file keeps its last name.
void ReadHeader(TextStream& in, TMlb2& table) {
    std::string name;
    bool lineHasBytes = false;
    for (int c = in.Next();; c = in.Next()) {
        if (c == kEnd && !lineHasBytes)
            return;
        if (c == kSeparator || c == '\n' || c == kEnd) {
            table.AddColumn(UnescapeName(name));
            name.clear();
            if (c != kSeparator)
                return;
        } else {
            name.push_back(static_cast<char>(c));
        }
        lineHasBytes = true;
    }
}

// Returns false at the end of the file. A last line without its line end
// keeps its last value.
bool ReadRow(TextStream& in, TMlb2& table) {
    int c = in.Next();
    if (c == kEnd)
        return false;
    table.AppendRow();
    table.MoveLast();
    int column = 0;
    std::string value;
    for (;; c = in.Next()) {
        if (c == kEscape) {
            const int next = in.Next();
            if (next == kEnd) {
                value.push_back(kEscape);
                c = kEnd;
            } else {
                value.push_back(next == 'n' || next == 'N' ? '\n' : static_cast<char>(next));
                continue;
            }
        }
        if (c == kSeparator || c == '\n' || c == kEnd) {
            table.SetValueAt(++column, value);
            value.clear();
            if (c != kSeparator)
                return c != kEnd;
        } else {
            value.push_back(static_cast<char>(c));
        }
    }
}

void AppendEscaped(std::string& out, std::string_view value) {
    for (const char c : value) {
        if (c == '\n') {
            out.append("\\n");
            continue;
        }
        if (c == kEscape || c == kSeparator)
            out.push_back(kEscape);
        out.push_back(c);
    }
}

// Names are written as they are, through a text-mode stream: LF becomes CR LF.
void AppendName(std::string& out, std::string_view name) {
    for (const char c : name) {
        if (c == '\n')
            out.push_back('\r');
        out.push_back(c);
    }
}

} // namespace

void ReadEscapedForm(std::string_view bytes, TMlb2& table) {
    TextStream in(bytes);
    ReadHeader(in, table);
    while (ReadRow(in, table)) {
    }
}

std::string WriteEscapedForm(const TMlb2& table) {
    std::string out;
    const int columns = table.ColumnCount();
    if (columns == 0)
        return out;
    for (int n = 1; n <= columns; ++n) {
        AppendName(out, table.GetColumnName(n).value_or(""));
        out.append(n < columns ? ";" : "\r\n");
    }
    const TMLBList& rows = table.Rows();
    for (int r = 1; r <= rows.Count(); ++r) {
        const TMLBStringList& row = *rows.At(r);
        for (int n = 1; n <= columns; ++n) {
            AppendEscaped(out, row.At(n).value_or(""));
            out.append(n < columns ? ";" : "\r\n");
        }
    }
    return out;
}

} // namespace kelvo
