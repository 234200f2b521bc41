// A block of block_cache.h that goes back to the cache when its holder
// goes, on every path out of an encoder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/imaging/block_cache.h"

namespace platform::imaging {

template <uint8_t* (*Take)(size_t), void (*Give)(uint8_t*, size_t)>
class BlockHolder {
public:
    BlockHolder() = default;
    explicit BlockHolder(size_t size) : size_(size), block_(Take(size)) {}
    ~BlockHolder() { Give(block_, size_); }
    BlockHolder(const BlockHolder&) = delete;
    BlockHolder& operator=(const BlockHolder&) = delete;
    uint8_t* get() const { return block_; }
    // Gives the block back and takes one of `size` bytes (null when memory
    // runs out).
    void Reset(size_t size) {
        Give(block_, size_);
        size_ = size;
        block_ = Take(size);
    }

private:
    size_t size_ = 0;
    uint8_t* block_ = nullptr;
};

// A block of the cache's kept blocks: for a buffer written whole.
using CachedBlock = BlockHolder<TakeBlock, GiveBlock>;
// A block never kept: for a buffer of which only the start is written.
using FreshBlock = BlockHolder<TakeFreshBlock, GiveFreshBlock>;

}  // namespace platform::imaging
