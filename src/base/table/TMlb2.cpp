#include "table/TMlb2.h"

#include "files/FileBytes.h"
#include "table/RowMatching.h"
#include "table/TableForms.h"

namespace kelvo {

void TMlb2::Clear() {
    names_.Clear();
    types_.Clear();
    rows_.Clear();
    current_ = 0;
    atEnd_ = true;
}

void TMlb2::AddColumn(std::string_view name) {
    names_.Add(name);
    types_.Add("STRING");
    for (int r = 1; r <= rows_.Count(); ++r)
        rows_.At(r)->Add(std::nullopt);
}

bool TMlb2::SetColumnType(int column, std::string_view type) {
    return types_.Replace(column, type);
}

Text TMlb2::GetColumnType(int column) const {
    return types_.At(column);
}

Text TMlb2::GetColumnName(int column) const {
    return names_.At(column);
}

void TMlb2::AppendRow() {
    TMLBStringList& row = rows_.AddRow();
    row.AddAbsent(ColumnCount());
}

bool TMlb2::MoveTo(int row) {
    if (row < 1 || row > RowCount()) {
        atEnd_ = true;
        return false;
    }
    current_ = row;
    atEnd_ = false;
    return true;
}

bool TMlb2::MoveFirst() {
    return MoveTo(1);
}

bool TMlb2::MoveLast() {
    return MoveTo(RowCount());
}

bool TMlb2::MoveNext() {
    if (current_ >= RowCount()) {
        atEnd_ = true;
        return false;
    }
    return MoveTo(current_ + 1);
}

bool TMlb2::BeginScan(unsigned char /*direction*/) {
    return !IsEmpty();
}

bool TMlb2::EndScan() {
    if (IsEmpty())
        return false;
    if (current_ < 1 || current_ > RowCount())
        MoveLast();
    return true;
}

TMLBStringList* TMlb2::CurrentRowValues() {
    return rows_.At(current_);
}

const TMLBStringList* TMlb2::CurrentRowValues() const {
    return rows_.At(current_);
}

Text TMlb2::GetValue(std::string_view column) const {
    return GetValueAt(names_.IndexOf(column));
}

bool TMlb2::SetValue(std::string_view column, Text text) {
    return SetValueAt(names_.IndexOf(column), text);
}

Text TMlb2::GetValueAt(int column) const {
    const TMLBStringList* row = CurrentRowValues();
    return row ? row->At(column) : std::nullopt;
}

bool TMlb2::SetValueAt(int column, Text text) {
    TMLBStringList* row = CurrentRowValues();
    return row && row->Replace(column, text);
}

void TMlb2::AppendStoredRow(const StoredText* texts, int count) {
    rows_.AddRow().AddStored(texts, count, ColumnCount());
}

std::string_view TMlb2::GetCell(int column, int row) {
    if (!MoveTo(row))
        return {};
    return GetValueAt(column).value_or(std::string_view());
}

bool TMlb2::Matches(std::string_view column, std::string_view op, std::string_view value) const {
    return CompareByOperator(options_, GetValue(column).value_or(std::string_view()), op, value);
}

bool TMlb2::Load(const std::string& path) {
    // Read into a fresh table so that a file that cannot be read whole leaves
    // this one as it was.
    TMlb2 loaded;
    const TableForm form = FormForPath(path);
    if (form == TableForm::Quoted) {
        // Read straight into the table's storage, where the values then stay.
        const std::optional<std::span<char>> bytes =
            ReadFileInto(path, [&loaded](size_t size) { return loaded.TextStorage(size); });
        if (!bytes)
            return false;
        ReadQuotedFormInPlace(*bytes, loaded);
        loaded.name_ = TableNameFromPath(path);
    } else {
        const std::optional<std::string> bytes = ReadFileBytes(path);
        if (!bytes)
            return false;
        if (form == TableForm::Escaped) {
            ReadEscapedForm(*bytes, loaded);
            loaded.name_ = TableNameFromPath(path);
        } else if (!ReadBinaryForm(*bytes, loaded)) {
            return false;
        }
    }
    loaded.options_ = options_;
    *this = std::move(loaded);
    return true;
}

bool TMlb2::Save(const std::string& path) {
    std::string bytes;
    switch (FormForPath(path)) {
    case TableForm::Quoted:
        bytes = WriteQuotedForm(*this);
        break;
    case TableForm::Escaped:
        bytes = WriteEscapedForm(*this);
        break;
    case TableForm::Binary:
        bytes = WriteBinaryForm(*this);
        break;
    }
    if (!WriteFileAtomically(path, bytes))
        return false;
    // Writing visits every cell in order, which leaves the last row current.
    if (!IsEmpty())
        MoveLast();
    return true;
}

} // namespace kelvo
