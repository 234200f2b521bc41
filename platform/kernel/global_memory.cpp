// Movable memory blocks. A handle points at a small record that owns the
// bytes, so the bytes may move when a stream grows the block. The record
// keeps a capacity apart from the size: GlobalSize answers exactly what was
// allocated or written, never the slack kept for growth.
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/kernel/kernel.h"

namespace platform::kernel {
namespace {

struct GlobalBlock {
    uint8_t* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;
    std::atomic<uint32_t> locks{0};
};

GlobalBlock* BlockOf(MemoryHandle handle) {
    return reinterpret_cast<GlobalBlock*>(handle);
}

bool Reserve(GlobalBlock* block, size_t capacity) {
    if (capacity <= block->capacity)
        return true;
    auto* grown = static_cast<uint8_t*>(std::realloc(block->data, capacity));
    if (!grown)
        return false;
    std::memset(grown + block->capacity, 0, capacity - block->capacity);
    block->data = grown;
    block->capacity = capacity;
    return true;
}

}  // namespace

MemoryHandle GlobalAlloc(uint32_t /*flags*/, size_t size) {
    auto* block = new (std::nothrow) GlobalBlock;
    if (!block)
        return 0;
    // Blocks always start zeroed: handing out stale heap bytes buys nothing.
    if (size > 0 && !Reserve(block, size)) {
        delete block;
        return 0;
    }
    block->size = size;
    return reinterpret_cast<MemoryHandle>(block);
}

void* GlobalLock(MemoryHandle handle) {
    GlobalBlock* block = BlockOf(handle);
    if (!block || block->size == 0)
        return nullptr;
    block->locks.fetch_add(1);
    return block->data;
}

bool GlobalUnlock(MemoryHandle handle) {
    GlobalBlock* block = BlockOf(handle);
    if (!block)
        return false;
    uint32_t locks = block->locks.load();
    while (locks > 0 && !block->locks.compare_exchange_weak(locks, locks - 1)) {
    }
    return locks > 1;  // still locked afterwards
}

size_t GlobalSize(MemoryHandle handle) {
    GlobalBlock* block = BlockOf(handle);
    return block ? block->size : 0;
}

MemoryHandle GlobalFree(MemoryHandle handle) {
    GlobalBlock* block = BlockOf(handle);
    if (!block)
        return 0;
    std::free(block->data);
    delete block;
    return 0;
}

bool GlobalResize(MemoryHandle handle, size_t size) {
    GlobalBlock* block = BlockOf(handle);
    if (!block)
        return false;
    if (size > block->capacity) {
        size_t wanted = block->capacity < 4096 ? 4096 : block->capacity;
        while (wanted < size)
            wanted += wanted / 2;
        if (!Reserve(block, wanted) && !Reserve(block, size))
            return false;
    }
    if (size < block->size)
        std::memset(block->data + size, 0, block->size - size);
    block->size = size;
    return true;
}

bool TrimWorkingSet() {
    malloc_trim(0);
    return true;
}

}  // namespace platform::kernel
