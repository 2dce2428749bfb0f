#pragma once

#include "table/TConcordances.h"
#include "table/TMLBStringList.h"
#include "table/Text.h"

#include <string>

namespace kelvo {

// One in-memory table: named, typed text columns, rows of text values and one
// current row. Positions count from 1. Nothing throws; failures are reported
// as false or as an absent text.
class TMlb2 {
public:
    void Clear();

    void AddColumn(std::string_view name);
    bool SetColumnType(int column, std::string_view type);
    Text GetColumnType(int column) const;
    Text GetColumnName(int column) const;
    int ColumnCount() const { return names_.Count(); }

    void AppendRow();
    // A hint for readers that know roughly how many rows will follow.
    void ReserveRows(int count) { rows_.Reserve(count); }
    int RowCount() const { return rows_.Count(); }
    bool IsEmpty() const { return rows_.IsEmpty(); }

    bool MoveTo(int row);
    bool MoveFirst();
    bool MoveLast();
    bool MoveNext();
    bool AtEnd() const { return atEnd_; }
    bool BeginScan(unsigned char direction);
    bool EndScan();
    // 0 when there is no current row.
    int CurrentRow() const { return current_; }

    Text GetValue(std::string_view column) const;
    bool SetValue(std::string_view column, Text text);
    Text GetValueAt(int column) const;
    bool SetValueAt(int column, Text text);
    // For readers that leave values where they read them: bytes that live as
    // long as the rows (until Clear), and a new last row whose values are
    // texts[0..count) there (TMLBStringList::AddStored), absent past them and
    // dropped past the last column. The current row stays.
    char* TextStorage(size_t size) { return rows_.Storage(size); }
    void AppendStoredRow(const StoredText* texts, int count);
    // Moves to row like MoveTo; the empty text for anything that is not there.
    std::string_view GetCell(int column, int row);

    bool Matches(std::string_view column, std::string_view op, std::string_view value) const;

    // The form is chosen by the path's last three characters: TXT quoted,
    // MLB binary, anything else escaped.
    bool Load(const std::string& path);
    bool Save(const std::string& path);

    const std::string& TableName() const { return name_; }
    void SetTableName(std::string_view name) { name_ = name; }
    char Separator() const { return ';'; }
    char QuoteChar() const { return '"'; }
    TConcordances& Concordances() { return options_; }
    const TConcordances& Concordances() const { return options_; }

    // Read-only views for the file writers; they leave the current row alone.
    const TMLBStringList& ColumnNames() const { return names_; }
    const TMLBStringList& ColumnTypes() const { return types_; }
    const TMLBList& Rows() const { return rows_; }

private:
    TMLBStringList* CurrentRowValues();
    const TMLBStringList* CurrentRowValues() const;

    TMLBStringList names_;
    TMLBStringList types_;
    TMLBList rows_;
    int current_ = 0;
    bool atEnd_ = true;
    std::string name_;
    TConcordances options_;
};

} // namespace kelvo
