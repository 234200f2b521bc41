#include "platform/imaging/block_cache.h"

#include <cstdlib>

namespace platform::imaging {
namespace {

// Below this, the allocator's own free lists do the job well.
constexpr size_t kWorthKeeping = size_t(1) << 20;
// Above this, mapping fresh pages costs little beside decoding them, and a
// kept block would be memory the budget (memory_budget.h) does not see.
constexpr size_t kLargestKept = size_t(64) << 20;

bool Keepable(size_t size) {
    return size >= kWorthKeeping && size <= kLargestKept;
}

struct Slot {
    uint8_t* block = nullptr;
    size_t size = 0;
};

struct ThreadBlocks {
    Slot slots[2];
    ~ThreadBlocks() {
        for (Slot& slot : slots)
            std::free(slot.block);
    }
};

thread_local ThreadBlocks t_blocks;

}  // namespace

uint8_t* TakeBlock(size_t size) {
    if (Keepable(size)) {
        for (Slot& slot : t_blocks.slots) {
            // A block much larger than asked for is left for a larger request.
            if (slot.block && slot.size >= size && slot.size - size <= size / 2) {
                uint8_t* block = slot.block;
                slot = Slot{};
                return block;
            }
        }
    }
    return static_cast<uint8_t*>(std::malloc(size));
}

void GiveBlock(uint8_t* block, size_t size) {
    if (!block)
        return;
    if (Keepable(size)) {
        Slot* target = nullptr;
        for (Slot& slot : t_blocks.slots) {
            if (!slot.block) {
                target = &slot;
                break;
            }
        }
        if (!target) {
            // Both slots taken: keep the larger blocks.
            Slot* slots = t_blocks.slots;
            Slot& smaller = slots[0].size <= slots[1].size ? slots[0] : slots[1];
            if (smaller.size < size) {
                std::free(smaller.block);
                target = &smaller;
            }
        }
        if (target) {
            *target = Slot{block, size};
            return;
        }
    }
    std::free(block);
}

}  // namespace platform::imaging
