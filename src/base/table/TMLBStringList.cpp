#include "table/TMLBStringList.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kelvo {

TMLBStringList::TMLBStringList()
    : ownArena_(std::make_unique<TextArena>()), arena_(ownArena_.get()) {}

TMLBStringList::TMLBStringList(const TMLBStringList& other) : TMLBStringList() {
    Append(other);
}

TMLBStringList& TMLBStringList::operator=(const TMLBStringList& other) {
    if (this != &other) {
        Clear();
        Append(other);
    }
    return *this;
}

TMLBStringList::TMLBStringList(TMLBStringList&& other) noexcept
    : ownArena_(std::move(other.ownArena_)), arena_(other.arena_),
      entries_(std::exchange(other.entries_, nullptr)), count_(std::exchange(other.count_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

TMLBStringList& TMLBStringList::operator=(TMLBStringList&& other) noexcept {
    if (this != &other) {
        ownArena_ = std::move(other.ownArena_);
        arena_ = other.arena_;
        entries_ = std::exchange(other.entries_, nullptr);
        count_ = std::exchange(other.count_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void TMLBStringList::Reserve(int count) {
    if (count <= capacity_)
        return;
    auto* grown = static_cast<Entry*>(
        arena_->Allocate(sizeof(Entry) * static_cast<size_t>(count), alignof(Entry)));
    std::uninitialized_copy_n(entries_, count_, grown);
    entries_ = grown;
    capacity_ = count;
}

TMLBStringList::Entry& TMLBStringList::NewEntry() {
    if (count_ == capacity_)
        Reserve(std::max(4, capacity_ * 2));
    return *new (entries_ + count_++) Entry();
}

// The old text is no longer handed out once replaced, so a new one that fits
// takes its place.
void TMLBStringList::Store(Entry& entry, Text text) {
    entry.present = text.has_value();
    const size_t length = text ? text->size() : 0;
    if (length > entry.capacity) {
        entry.data = static_cast<char*>(arena_->Allocate(length));
        entry.capacity = length <= UINT32_MAX ? static_cast<uint32_t>(length) : 0;
    }
    if (length > 0)
        std::memmove(entry.data, text->data(), length);
    entry.length = length;
}

void TMLBStringList::Add(Text text) {
    Store(NewEntry(), text);
}

void TMLBStringList::AddAbsent(int count) {
    Reserve(count_ + count);
    for (int i = 0; i < count; ++i)
        NewEntry();
}

void TMLBStringList::Append(const TMLBStringList& other) {
    Reserve(count_ + other.count_);
    for (int n = 1; n <= other.Count(); ++n)
        Add(other.At(n));
}

bool TMLBStringList::Replace(int n, Text text) {
    if (!InRange(n))
        return false;
    Store(entries_[n - 1], text);
    return true;
}

void TMLBStringList::AddStored(const StoredText* texts, int given, int count) {
    Reserve(count_ + count);
    for (int i = 0; i < count; ++i) {
        Entry& entry = *new (entries_ + count_++) Entry();
        if (i >= given || !texts[i].data)
            continue;
        entry.data = texts[i].data;
        entry.length = texts[i].length;
        entry.capacity = entry.length <= UINT32_MAX ? static_cast<uint32_t>(entry.length) : 0;
        entry.present = true;
    }
}

int TMLBStringList::IndexOf(std::string_view text) const {
    for (int i = 0; i < count_; ++i) {
        if (entries_[i].View() == text)
            return i + 1;
    }
    return 0;
}

void TMLBStringList::Clear() {
    count_ = 0;
    if (ownArena_) {
        ownArena_->Clear();
        entries_ = nullptr;
        capacity_ = 0;
    }
}

TMLBList::TMLBList(const TMLBList& other) {
    *this = other;
}

TMLBList& TMLBList::operator=(const TMLBList& other) {
    if (this == &other)
        return *this;
    Clear();
    rows_.reserve(other.rows_.size());
    for (const TMLBStringList& row : other.rows_)
        AddRow().Append(row);
    return *this;
}

void TMLBList::Clear() {
    rows_.clear();
    if (arena_)
        arena_->Clear();
}

char* TMLBList::Storage(size_t size) {
    if (!arena_)
        arena_ = std::make_unique<TextArena>();
    return static_cast<char*>(arena_->Allocate(size));
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
