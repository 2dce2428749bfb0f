#pragma once

#include "table/Text.h"
#include "table/TextArena.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kelvo {

// A value as a reader leaves it in table storage (TMLBList::Storage); a null
// data stands for an absent value.
struct StoredText {
    char* data = nullptr;
    size_t length = 0;
};

// An ordered list of owned texts, positions counted from 1.
// Contiguous storage gives every position in O(1), so no cursor is kept.
// Entries and texts live in an arena: the list's own, or the one its table
// shares among all rows.
class TMLBStringList {
public:
    TMLBStringList();
    explicit TMLBStringList(TextArena& shared) : arena_(&shared) {}
    TMLBStringList(const TMLBStringList& other);
    TMLBStringList& operator=(const TMLBStringList& other);
    TMLBStringList(TMLBStringList&& other) noexcept;
    TMLBStringList& operator=(TMLBStringList&& other) noexcept;

    void Add(Text text);
    void AddAbsent(int count);
    // Inline: readers of a whole table call it for every value.
    Text At(int n) const {
        if (!InRange(n) || !entries_[n - 1].present)
            return std::nullopt;
        return entries_[n - 1].View();
    }
    bool Replace(int n, Text text);
    // Adds count values: texts[0..given) as they lie in table storage
    // (TMLBList::Storage), where no other value may hold them, then absent
    // ones; texts past count are dropped. The texts are not copied: a later
    // value no longer than one is written over it.
    void AddStored(const StoredText* texts, int given, int count);
    // Position of the first entry equal to text (an absent entry counts as
    // the empty text), or 0.
    int IndexOf(std::string_view text) const;
    void Clear();
    int Count() const { return count_; }
    void Reserve(int count);
    // Copies every entry of other into this list's arena.
    void Append(const TMLBStringList& other);

private:
    struct Entry {
        char* data = nullptr;
        size_t length = 0;
        uint32_t capacity = 0; // a longer text is never reused in place
        bool present = false;
        std::string_view View() const { return {data, length}; }
    };
    bool InRange(int n) const { return n >= 1 && n <= count_; }
    void Store(Entry& entry, Text text);
    Entry& NewEntry();

    std::unique_ptr<TextArena> ownArena_;
    TextArena* arena_;
    Entry* entries_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
};

// The rows of a table: a list of owned rows sharing one arena.
class TMLBList {
public:
    TMLBList() = default;
    TMLBList(const TMLBList& other);
    TMLBList& operator=(const TMLBList& other);
    TMLBList(TMLBList&&) noexcept = default;
    TMLBList& operator=(TMLBList&&) noexcept = default;

    // The returned row stays valid until the next AddRow or Clear.
    TMLBStringList& AddRow() {
        if (!arena_)
            arena_ = std::make_unique<TextArena>();
        return rows_.emplace_back(*arena_);
    }
    TMLBStringList* At(int n);
    const TMLBStringList* At(int n) const;
    void Clear();
    // Bytes that live as long as the rows' values, until Clear.
    char* Storage(size_t size);
    bool IsEmpty() const { return rows_.empty(); }
    void Reserve(int count) { rows_.reserve(static_cast<size_t>(count)); }
    int Count() const { return static_cast<int>(rows_.size()); }

private:
    // On the heap, so that rows keep reaching it when the list is moved.
    std::unique_ptr<TextArena> arena_ = std::make_unique<TextArena>();
    std::vector<TMLBStringList> rows_;
};

} // namespace kelvo
