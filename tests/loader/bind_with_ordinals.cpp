// A platform-style library: routines exported by name and, through the
// ordinal table, by number.
#include <cstdint>

#include "platform/loader/ordinal_table.h"

extern "C" {

PICBATCH_EXPORT uintptr_t TestAdd(uintptr_t a, uintptr_t b) {
    return a + b;
}

PICBATCH_EXPORT uintptr_t TestAnswer() {
    return 42;
}

// Weights each argument by its position, so a swapped or dropped word shows.
PICBATCH_EXPORT uintptr_t TestWeigh16(uintptr_t a1, uintptr_t a2, uintptr_t a3, uintptr_t a4,
                                      uintptr_t a5, uintptr_t a6, uintptr_t a7, uintptr_t a8,
                                      uintptr_t a9, uintptr_t a10, uintptr_t a11, uintptr_t a12,
                                      uintptr_t a13, uintptr_t a14, uintptr_t a15, uintptr_t a16) {
    return a1 * 1 + a2 * 2 + a3 * 3 + a4 * 4 + a5 * 5 + a6 * 6 + a7 * 7 + a8 * 8 + a9 * 9 +
           a10 * 10 + a11 * 11 + a12 * 12 + a13 * 13 + a14 * 14 + a15 * 15 + a16 * 16;
}

const PlatformOrdinalEntry picbatch_ordinals[] = {
    {12, "TestAdd"},
    {3, "TestAnswer"},
    {7, "NotExported"},
};
const uint32_t picbatch_ordinal_count = 3;

}  // extern "C"
