// How much memory the pictures alive at one time may take, so that six
// workers converting large pictures at once stay within the machine.
//
// Every image reserves its cost from one process-wide budget when it is
// created and gives it back when it is disposed. The cost is three times
// the pixel bytes: the pixels, plus what decoding and encoding take beside
// them, of which a PNG save takes the most (its filtered rows and the room
// for the compressed data; a progressive JPEG's coefficients take about one
// more picture). A thread whose reservation does not fit waits until others
// give theirs back, so a folder of 100-megapixel photographs (900 MB each)
// is converted four at a time within the 4 GB budget of an 8 GB machine and
// six at a time on a larger one. Two rules keep it from ever stalling:
// - a thread that already holds a reservation never waits (it may be the
//   one everybody else waits for: a picture being flattened or converted
//   holds its source while it makes the result);
// - a reservation larger than the whole budget waits only until nothing
//   else is reserved, then goes ahead alone.
//
// The budget is half the memory the process may use (the machine's, or its
// control group's limit when that is lower), at least 512 MiB; the
// environment variable PICBATCH_MEMORY_BUDGET_MB sets it instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <thread>

namespace platform::imaging {

// What an image of `pixelBytes` reserves.
inline uint64_t ImageCost(size_t pixelBytes) {
    return 3 * uint64_t(pixelBytes);
}

// Waits as described above, then reserves `cost` for the calling thread.
void ReserveMemory(uint64_t cost);
// Gives back what `owner` reserved (images may be disposed elsewhere).
void ReleaseMemory(uint64_t cost, std::thread::id owner);

struct MemoryBudgetState {
    uint64_t budget;
    uint64_t reserved;      // now
    uint64_t peakReserved;  // since the budget was last set
    uint32_t waits;         // reservations that had to wait
};
MemoryBudgetState MemoryBudgetNow();
// Sets the budget (0: the default) and clears the peak and wait counts.
void SetMemoryBudget(uint64_t bytes);

}  // namespace platform::imaging
