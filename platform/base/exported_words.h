// Reading the words of the routines the application binds by name. Such a
// routine takes and answers whole words: handles and pointers as they are,
// 32-bit values in the low half, so that a -1 arrives as 0xFFFFFFFF
// whichever way the caller extended it. Every library that exports routines
// reads its arguments back the same way, through these.
#pragma once

#include <cstdint>

namespace platform::exported {

using Word = uintptr_t;

// A 32-bit argument (a count, a code, a time-out): the low half.
constexpr uint32_t Low(Word word) {
    return static_cast<uint32_t>(word);
}

// A pointer argument.
template <typename T>
T* Ptr(Word word) {
    return reinterpret_cast<T*>(word);
}

}  // namespace platform::exported
