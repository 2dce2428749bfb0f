#include "table/TextArena.h"

#include <algorithm>

namespace kelvo {

void* TextArena::AllocateInNewBlock(size_t size, size_t alignment) {
    if (size == 0)
        return nullptr;
    // A large piece gets a block of its own rather than wasting the rest of one.
    if (size > kBlockSize / 4) {
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
        return blocks_.back().get();
    }
    const size_t blockSize = std::max(nextBlockSize_, size);
    nextBlockSize_ = std::min(2 * nextBlockSize_, kBlockSize);
    blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(blockSize));
    next_ = blocks_.back().get();
    left_ = blockSize;
    return Allocate(size, alignment);
}

void TextArena::Clear() {
    blocks_.clear();
    nextBlockSize_ = kFirstBlockSize;
    next_ = nullptr;
    left_ = 0;
}

} // namespace kelvo
