#pragma once

#include "table/Text.h"

#include <string>
#include <vector>

namespace kelvo {

// An ordered list of owned texts, positions counted from 1.
// Contiguous storage gives every position in O(1), so no cursor is kept.
class TMLBStringList {
public:
    void Add(Text text);
    Text At(int n) const;
    bool Replace(int n, Text text);
    // Position of the first entry equal to text (an absent entry counts as
    // the empty text), or 0.
    int IndexOf(std::string_view text) const;
    void Clear();
    int Count() const { return static_cast<int>(entries_.size()); }
    void Reserve(int count) { entries_.reserve(static_cast<size_t>(count)); }

private:
    struct Entry {
        std::string text;
        bool present = false;
    };
    bool InRange(int n) const { return n >= 1 && n <= Count(); }

    std::vector<Entry> entries_;
};

// The rows of a table: a list of owned rows.
class TMLBList {
public:
    // The returned row stays valid until the next AddRow or Clear.
    TMLBStringList& AddRow();
    TMLBStringList* At(int n);
    const TMLBStringList* At(int n) const;
    void Clear() { rows_.clear(); }
    bool IsEmpty() const { return rows_.empty(); }
    int Count() const { return static_cast<int>(rows_.size()); }

private:
    std::vector<TMLBStringList> rows_;
};

} // namespace kelvo
