// ELF libraries export routines by name only. A platform library that wants
// some of its routines reachable by number ("#n" in a declaration) exports
// one table mapping ordinals to exported routine names:
//
//     #include "platform/loader/ordinal_table.h"   // gives both exports
//     extern "C" {
//     const PlatformOrdinalEntry picbatch_ordinals[] = {
//         {1, "OpenThing"}, {12, "CloseThing"},
//     };
//     const uint32_t picbatch_ordinal_count = 2;
//     }
//
// A library without the table cannot be bound by ordinal; the binder reports
// that plainly instead of guessing.
#pragma once

#include <cstdint>

#define PICBATCH_EXPORT __attribute__((visibility("default")))

extern "C" {

struct PlatformOrdinalEntry {
    // Compared with the declared ordinal's low 16 bits.
    uint32_t ordinal;
    // Name of the exported routine the ordinal stands for.
    const char* routine;
};

PICBATCH_EXPORT extern const PlatformOrdinalEntry picbatch_ordinals[];
PICBATCH_EXPORT extern const uint32_t picbatch_ordinal_count;

}  // extern "C"

namespace platform {

inline constexpr const char* kOrdinalTableSymbol = "picbatch_ordinals";
inline constexpr const char* kOrdinalCountSymbol = "picbatch_ordinal_count";

}  // namespace platform
