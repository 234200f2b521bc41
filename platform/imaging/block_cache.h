// Large blocks kept for reuse. A batch decodes picture after picture of
// much the same size, and a PNG save needs a block of the picture's size
// for its filtered rows; handing a finished picture's block to the next
// saves the system from mapping and zeroing tens of megabytes of fresh
// pages every time. The blocks are shared by all threads, and only
// kBlocksKept of them are kept at once: with the core turns (core_turns.h)
// no more pictures than cores are worked on at one time, so a few blocks
// serve a batch of any number of workers, and idle workers hold none.
// Blocks below 1 MiB are left to the allocator; larger ones are mapped
// from the system, and those above 64 MiB are never kept.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::imaging {

inline constexpr size_t kBlocksKept = 2;

// At least `size` bytes, uninitialised; null when memory runs out.
uint8_t* TakeBlock(size_t size);
// Gives back a block from TakeBlock of that size (null is ignored).
void GiveBlock(uint8_t* block, size_t size);
// A block never kept, for a buffer of which only a part is usually
// written: of a large one, the pages never written never become resident.
uint8_t* TakeFreshBlock(size_t size);
void GiveFreshBlock(uint8_t* block, size_t size);
// Gives every kept block back to the system (the last Shutdown does).
void ReleaseKeptBlocks();
// How many bytes the kept blocks hold now.
size_t KeptBlockBytes();

}  // namespace platform::imaging
