#include "corelib/buffer/small_block_pool.h"

namespace corelib {

std::atomic<bool> PoolEnabled{true};

SmallBlockPool& SmallBlockPool::Instance() {
    static SmallBlockPool pool;
    return pool;
}

std::atomic_ref<uint32_t> SmallBlockPool::Count() const {
    return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(bytes_));
}

std::atomic_ref<uint8_t> SmallBlockPool::Flag(uint32_t slot) const {
    return std::atomic_ref<uint8_t>(bytes_[4 + slot]);
}

uint8_t* SmallBlockPool::Take() {
    if (Count().load(std::memory_order_relaxed) >= kSlotCount)
        return nullptr;
    for (uint32_t slot = 0; slot < kSlotCount; ++slot) {
        if (Flag(slot).load(std::memory_order_relaxed) == 0 &&
            Flag(slot).exchange(1, std::memory_order_acquire) == 0) {
            Count().fetch_add(1, std::memory_order_relaxed);
            return bytes_ + kSlotsOffset + size_t(slot) * kSlotSize;
        }
    }
    return nullptr;
}

void SmallBlockPool::Release(uint8_t* slot) {
    Count().fetch_sub(1, std::memory_order_relaxed);
    Flag(SlotOf(slot)).store(0, std::memory_order_release);
}

uint32_t SmallBlockPool::InUse() const {
    return Count().load(std::memory_order_relaxed);
}

}  // namespace corelib
