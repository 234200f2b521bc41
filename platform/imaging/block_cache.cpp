#include "platform/imaging/block_cache.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

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

// Large blocks are mapped from the system directly rather than taken from
// the allocator's arenas, so that a block given back (and not kept) goes
// back to the system at once instead of staying resident in an arena. A
// block may serve a request a little smaller than itself, so each mapping
// records its own length in front of the block.
constexpr size_t kMappingHeader = 64;  // keeps the block 64-byte aligned

#if defined(__SANITIZE_ADDRESS__)
#define PICBATCH_BLOCKS_FROM_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PICBATCH_BLOCKS_FROM_ALLOCATOR 1
#endif
#endif

#ifdef PICBATCH_BLOCKS_FROM_ALLOCATOR
// The address checker watches only what the allocator hands out: there the
// blocks come from it, so that a write past a picture's end is caught.
void* MapLength(size_t length) {
    return std::malloc(length);
}
void UnmapLength(void* mapping, size_t) {
    std::free(mapping);
}
#else
void* MapLength(size_t length) {
    void* mapping =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return mapping == MAP_FAILED ? nullptr : mapping;
}
void UnmapLength(void* mapping, size_t length) {
    munmap(mapping, length);
}
#endif

uint8_t* MapPages(size_t size) {
    const size_t length = size + kMappingHeader;
    void* mapping = MapLength(length);
    if (!mapping)
        return nullptr;
    std::memcpy(mapping, &length, sizeof length);
    return static_cast<uint8_t*>(mapping) + kMappingHeader;
}

size_t MappedSize(const uint8_t* block) {
    size_t length;
    std::memcpy(&length, block - kMappingHeader, sizeof length);
    return length - kMappingHeader;
}

void UnmapPages(uint8_t* block) {
    if (block)
        UnmapLength(block - kMappingHeader, MappedSize(block) + kMappingHeader);
}

struct Slot {
    uint8_t* block = nullptr;
    size_t size = 0;
};

class KeptBlocks {
public:
    uint8_t* Take(size_t size) {
        std::lock_guard lock(mutex_);
        for (Slot& slot : slots_) {
            // A block much larger than asked for is left for a larger request.
            if (slot.block && slot.size >= size && slot.size - size <= size / 2) {
                uint8_t* block = slot.block;
                slot = Slot{};
                return block;
            }
        }
        return nullptr;
    }

    // Answers the block to free: the one given when it is not kept, or the
    // smaller one it displaced.
    Slot Keep(Slot given) {
        std::lock_guard lock(mutex_);
        Slot* smallest = &slots_[0];
        for (Slot& slot : slots_) {
            if (!slot.block) {
                slot = given;
                return Slot{};
            }
            if (slot.size < smallest->size)
                smallest = &slot;
        }
        if (smallest->size >= given.size)
            return given;
        Slot displaced = *smallest;
        *smallest = given;
        return displaced;
    }

    void TakeAll(Slot (&into)[kBlocksKept]) {
        std::lock_guard lock(mutex_);
        for (size_t i = 0; i < kBlocksKept; ++i) {
            into[i] = slots_[i];
            slots_[i] = Slot{};
        }
    }

    size_t Bytes() {
        std::lock_guard lock(mutex_);
        size_t total = 0;
        for (const Slot& slot : slots_)
            total += slot.block ? slot.size : 0;
        return total;
    }

private:
    std::mutex mutex_;
    Slot slots_[kBlocksKept];
};

// Never destroyed: images disposed late in the process's exit still give
// their blocks back to it.
KeptBlocks& TheBlocks() {
    static KeptBlocks* blocks = new KeptBlocks;
    return *blocks;
}

}  // namespace

uint8_t* TakeBlock(size_t size) {
    if (!Keepable(size))
        return static_cast<uint8_t*>(std::malloc(size));
    if (uint8_t* block = TheBlocks().Take(size))
        return block;
    return MapPages(size);
}

void GiveBlock(uint8_t* block, size_t size) {
    if (!block)
        return;
    if (!Keepable(size)) {
        std::free(block);
        return;
    }
    UnmapPages(TheBlocks().Keep(Slot{block, MappedSize(block)}).block);
}

uint8_t* TakeFreshBlock(size_t size) {
    return size >= kWorthKeeping ? MapPages(size) : static_cast<uint8_t*>(std::malloc(size));
}

void GiveFreshBlock(uint8_t* block, size_t size) {
    if (size >= kWorthKeeping)
        UnmapPages(block);
    else
        std::free(block);
}

void ReleaseKeptBlocks() {
    Slot kept[kBlocksKept];
    TheBlocks().TakeAll(kept);
    for (const Slot& slot : kept)
        UnmapPages(slot.block);
}

size_t KeptBlockBytes() {
    return TheBlocks().Bytes();
}

}  // namespace platform::imaging
