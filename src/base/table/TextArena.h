#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kelvo {

// Holds the texts and entry arrays of a table in large blocks, so that storing
// a value or a row costs no allocation of its own and freeing a table is a few
// frees. Nothing stored moves or goes away until Clear.
class TextArena {
public:
    void* Allocate(size_t size, size_t alignment = 1);
    void Clear();

private:
    // Below malloc's mmap threshold, so a table freed and loaded again reuses
    // memory instead of faulting in fresh pages.
    static constexpr size_t kBlockSize = 64 * 1024;
    // Blocks grow to that from this: a table of a few rows, made and freed
    // by the thousand (a search's), takes little and never makes malloc give
    // its top pages back and fault them in again.
    static constexpr size_t kFirstBlockSize = 4 * 1024;

    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    size_t nextBlockSize_ = kFirstBlockSize;
    std::byte* next_ = nullptr;
    size_t left_ = 0;
};

} // namespace kelvo
