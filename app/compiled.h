// What compiled application code does inline: element access with its
// index checks, appending, re-dimensioning, text copy, concatenation and
// comparison, and floating-to-integer conversion. Everything here is
// arithmetic, comparison and copying over the runtime services.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "runtime/services.h"
#include "runtime/values.h"

namespace app {

using rt::ArrayBlock;
using rt::Text;

// Address of element i (1-based) of an array of elementSize-byte elements.
// Index checks: below 1 raises error 4 first, above the count raises error 1.
inline uint8_t* ElementAt(ArrayBlock* array, int64_t index, uint32_t elementSize) {
    int64_t zeroBased = index - 1;
    if (zeroBased < 0)
        rt::RtRaiseError(rt::ERR_INDEX_BELOW);
    uint64_t count = array ? array->elementCount() : 0;
    if (uint64_t(zeroBased) >= count)
        rt::RtRaiseError(rt::ERR_INDEX_ABOVE);
    return array->elements() + uint64_t(zeroBased) * elementSize;
}

template <typename T>
T ReadElement(ArrayBlock* array, int64_t index) {
    T value;
    std::memcpy(&value, ElementAt(array, index, sizeof(T)), sizeof(T));
    return value;
}

template <typename T>
void WriteElement(ArrayBlock* array, int64_t index, T value) {
    std::memcpy(ElementAt(array, index, sizeof(T)), &value, sizeof(T));
}

// Makes the variable's array private (HELP_PREPARE_ARRAY).
inline void PrepareArray(ArrayBlock** variable, uint32_t elementSize) {
    rt::RtAssist(rt::HELP_PREPARE_ARRAY, elementSize, reinterpret_cast<uintptr_t>(variable), 0, 0);
}

// Grows the array by one element and answers the new element's address
// (uninitialised: the caller stores the element).
inline uint8_t* AppendSlot(ArrayBlock** variable, uint32_t elementSize) {
    PrepareArray(variable, elementSize);
    ArrayBlock* array = *variable;
    uint64_t n = array->elementCount();
    size_t header = array->headerSize();
    if (header > 8) {
        // Collapse to one dimension: the elements move down behind the new header.
        std::memmove(reinterpret_cast<uint8_t*>(array) + 8, array->elements(), n * elementSize);
    }
    array->dimensionCount = 1;
    array->dimensions()[0] = uint32_t(n + 1);
    array = static_cast<ArrayBlock*>(rt::RtRealloc(array, 8 + (n + 1) * elementSize));
    *variable = array;
    return array->elements() + n * elementSize;
}

template <typename T>
void Append(ArrayBlock** variable, T value) {
    std::memcpy(AppendSlot(variable, sizeof(T)), &value, sizeof(T));
}

// Appends a fresh copy of a text to an array of texts.
inline void AppendText(ArrayBlock** variable, const char* text) {
    char* copy = rt::NewText(text);
    std::memcpy(AppendSlot(variable, sizeof(char*)), &copy, sizeof(char*));
}

// Releases an array; for arrays of texts or byte blocks (ownsElements) each
// non-null element first. The variable then holds the shared empty array.
inline void ReleaseArray(ArrayBlock** variable, bool ownsElements) {
    ArrayBlock* array = *variable;
    if (array && !rt::IsSharedConstant(array)) {
        if (ownsElements) {
            uint64_t n = array->elementCount();
            for (uint64_t i = 0; i < n; ++i) {
                void* element;
                std::memcpy(&element, array->elements() + i * sizeof(void*), sizeof(void*));
                if (element)
                    rt::RtFree(element);
            }
        }
        rt::RtFree(array);
    }
    *variable = rt::EmptyArray();
}

// Builds a new one-dimensional array of `size` zeroed elements in place of
// the old one (released after the new one is built). Negative sizes raise
// error 10.
inline void Redimension(ArrayBlock** variable, int64_t size, uint32_t elementSize,
                        bool ownsElements) {
    if (size < 0)
        rt::RtRaiseError(rt::ERR_NEGATIVE_SIZE);
    size_t bytes = 8 + size_t(size) * elementSize;
    auto* fresh = static_cast<ArrayBlock*>(rt::RtAlloc(bytes));
    std::memset(fresh, 0, bytes);
    fresh->dimensionCount = 1;
    fresh->dimensions()[0] = uint32_t(size);
    ReleaseArray(variable, ownsElements);
    *variable = fresh;
}

// Text assignment: the variable's old text is released, then it holds a copy.
inline void AssignText(Text* variable, const char* source) {
    char* copy = source && *source ? rt::NewText(source) : nullptr;
    if (*variable)
        rt::RtFree(*variable);
    *variable = copy;
}

// A fresh text holding the parts one after another (null parts are empty).
inline Text Concat(std::initializer_list<const char*> parts) {
    size_t total = 0;
    for (const char* part : parts)
        total += rt::TextLength(part);
    auto* out = static_cast<char*>(rt::RtAlloc(total + 1));
    size_t at = 0;
    for (const char* part : parts) {
        size_t len = rt::TextLength(part);
        if (len)
            std::memcpy(out + at, part, len);
        at += len;
    }
    out[at] = 0;
    return out;
}

// Bytewise unsigned comparison, -1, 0 or 1; null compares as empty.
inline int CompareText(const char* a, const char* b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a ? a : "");
    const auto* y = reinterpret_cast<const unsigned char*>(b ? b : "");
    while (*x && *x == *y) {
        ++x;
        ++y;
    }
    return *x < *y ? -1 : (*x > *y ? 1 : 0);
}

// Texts passed to commands are never null.
inline const char* TextArg(const char* text) {
    return text ? text : rt::EmptyText();
}

// Floating value to integer: drop the fraction, keep 64 bits.
inline int64_t Truncate(double value) {
    return static_cast<int64_t>(value);
}

}  // namespace app
