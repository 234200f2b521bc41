// Large blocks kept per thread for reuse. A batch decodes picture after
// picture of the same size on each worker; handing the previous picture's
// block to the next saves the system from mapping and zeroing tens of
// megabytes of fresh pages every time. Each thread keeps at most two blocks,
// released when the thread ends; blocks above 64 MiB are never kept.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::imaging {

// At least `size` bytes, uninitialised; null when memory runs out.
uint8_t* TakeBlock(size_t size);
// Gives back a block from TakeBlock of that size (null is ignored).
void GiveBlock(uint8_t* block, size_t size);

}  // namespace platform::imaging
