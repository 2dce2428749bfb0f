#include "table/TMLBStringList.h"

namespace kelvo {

void TMLBStringList::Add(Text text) {
    Entry& entry = entries_.emplace_back();
    if (text) {
        entry.text.assign(text->data(), text->size());
        entry.present = true;
    }
}

Text TMLBStringList::At(int n) const {
    if (!InRange(n))
        return std::nullopt;
    const Entry& entry = entries_[static_cast<size_t>(n - 1)];
    if (!entry.present)
        return std::nullopt;
    return std::string_view(entry.text);
}

bool TMLBStringList::Replace(int n, Text text) {
    if (!InRange(n))
        return false;
    Entry& entry = entries_[static_cast<size_t>(n - 1)];
    entry.present = text.has_value();
    if (text)
        entry.text.assign(text->data(), text->size());
    else
        entry.text.clear();
    return true;
}

int TMLBStringList::IndexOf(std::string_view text) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].text == text)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

void TMLBStringList::Clear() {
    entries_.clear();
}

TMLBStringList& TMLBList::AddRow() {
    return rows_.emplace_back();
}

TMLBStringList* TMLBList::At(int n) {
    if (n < 1 || n > Count())
        return nullptr;
    return &rows_[static_cast<size_t>(n - 1)];
}

const TMLBStringList* TMLBList::At(int n) const {
    return const_cast<TMLBList*>(this)->At(n);
}

} // namespace kelvo
