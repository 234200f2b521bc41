// Library 4's growable byte buffer. Requests of at most 512 bytes take a
// block of the library's pool while one is free; every other request takes
// the requested size plus 128 bytes of slack from the heap. A buffer keeps
// its block while the block is large enough, a heap block only while no
// more than 256 bytes of it would lie unused; otherwise it moves (with the
// same slack), keeping its bytes. A pool block that must grow moves to the
// heap; a heap buffer never returns to the pool.
//
// Members in order, as the library has always laid them out: data pointer,
// capacity, length, and the pool the buffer belongs to.
#pragma once

#include <cstdint>

#include "libs/desktop/shell/block_pool.h"

namespace desktop {

class PooledBuffer {
public:
    static constexpr uint32_t kHeapSlack = 128;
    static constexpr uint32_t kMaxUnusedHeapBytes = 256;

    explicit PooledBuffer(BlockPool* pool = &BlockPool::Library()) : pool_(pool) {}
    ~PooledBuffer() { Clear(); }
    PooledBuffer(const PooledBuffer&) = delete;
    PooledBuffer& operator=(const PooledBuffer&) = delete;

    // Both answer the data, or null for size 0 and on failure; a failed
    // request leaves the buffer as it was.
    uint8_t* Allocate(uint32_t size);
    uint8_t* Resize(uint32_t size);
    // Grows the buffer by `count` bytes, copied from `source` or zeroed when
    // it is null. Answers the length before, or -1 when growing failed.
    int64_t Append(const void* source, uint32_t count);
    void Clear();

    uint8_t* Data() { return data_; }
    const uint8_t* Data() const { return data_; }
    uint32_t Capacity() const { return capacity_; }
    uint32_t Length() const { return length_; }
    bool InPool() const { return data_ && pool_ && pool_->Owns(data_); }

private:
    // Makes `block` the buffer's bytes and answers it.
    uint8_t* Hold(uint8_t* block, uint32_t capacity, uint32_t length);

    uint8_t* data_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;
    BlockPool* pool_;
};

}  // namespace desktop
