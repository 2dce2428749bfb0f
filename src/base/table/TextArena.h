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
    // alignment: a power of two. Inline, as a table takes a piece for every
    // row it reads.
    void* Allocate(size_t size, size_t alignment = 1) {
        const size_t padding = (0 - reinterpret_cast<uintptr_t>(next_)) & (alignment - 1);
        if (size == 0 || size > kBlockSize / 4 || size + padding > left_)
            return AllocateInNewBlock(size, alignment);
        std::byte* piece = next_ + padding;
        next_ = piece + size;
        left_ -= size + padding;
        return piece;
    }
    void Clear();

private:
    // A piece that does not fit in what is left of the current block: a
    // block of its own when large, else the first piece of a new block.
    void* AllocateInNewBlock(size_t size, size_t alignment);

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
