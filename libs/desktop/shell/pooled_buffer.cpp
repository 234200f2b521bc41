#include "libs/desktop/shell/pooled_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace desktop {
namespace {

// Room for `size` bytes plus the slack, or 0 when that does not fit a
// 32-bit capacity.
uint64_t HeapCapacityFor(uint32_t size) {
    uint64_t capacity = uint64_t(size) + PooledBuffer::kHeapSlack;
    return capacity > UINT32_MAX ? 0 : capacity;
}

}  // namespace

uint8_t* PooledBuffer::Allocate(uint32_t size) {
    if (data_)
        return Resize(size);
    if (size == 0)
        return nullptr;
    if (size <= BlockPool::kBlockSize && pool_) {
        if (uint8_t* block = pool_->Take())
            return Hold(block, BlockPool::kBlockSize, size);
    }
    uint64_t capacity = HeapCapacityFor(size);
    auto* block = capacity ? static_cast<uint8_t*>(std::malloc(capacity)) : nullptr;
    return block ? Hold(block, uint32_t(capacity), size) : nullptr;
}

uint8_t* PooledBuffer::Resize(uint32_t size) {
    if (size == 0) {
        Clear();
        return nullptr;
    }
    if (!data_)
        return Allocate(size);
    bool inPool = InPool();
    if (capacity_ >= size && (inPool || capacity_ - size <= kMaxUnusedHeapBytes)) {
        length_ = size;
        return data_;
    }
    uint64_t capacity = HeapCapacityFor(size);
    if (!capacity)
        return nullptr;
    uint8_t* block;
    if (inPool) {
        // A pool block cannot grow: the bytes move to the heap.
        block = static_cast<uint8_t*>(std::malloc(capacity));
        if (block) {
            std::memcpy(block, data_, std::min(length_, size));
            pool_->Release(data_);
        }
    } else {
        block = static_cast<uint8_t*>(std::realloc(data_, capacity));
    }
    return block ? Hold(block, uint32_t(capacity), size) : nullptr;
}

uint8_t* PooledBuffer::Hold(uint8_t* block, uint32_t capacity, uint32_t length) {
    data_ = block;
    capacity_ = capacity;
    length_ = length;
    return data_;
}

int64_t PooledBuffer::Append(const void* source, uint32_t count) {
    uint32_t before = length_;
    if (count == 0)
        return before;
    if (uint64_t(before) + count > UINT32_MAX || !Resize(before + count))
        return -1;
    if (source)
        std::memcpy(data_ + before, source, count);
    else
        std::memset(data_ + before, 0, count);
    return before;
}

void PooledBuffer::Clear() {
    if (data_) {
        if (InPool())
            pool_->Release(data_);
        else
            std::free(data_);
    }
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
}

}  // namespace desktop
