// Memory layouts of the application layer's texts, byte blocks and arrays,
// and the shared read-only constants that stand for empty ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/type_codes.h"

namespace rt {

// A text is a zero-terminated heap block of 8-bit characters; a byte with its
// top bit set starts a two-byte character. Null is the empty text.
using Text = char*;
using ConstText = const char*;

// A byte block: the word 1, the length n, then n bytes. It has the layout of
// a one-dimensional array of bytes.
struct ByteBlock {
    uint32_t dimensions;  // always 1
    uint32_t length;
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(this + 1); }
};
static_assert(sizeof(ByteBlock) == 8);

// An array: a dimension count d, d dimension sizes, then the elements. Texts,
// byte blocks, records and objects are held as pointers the array owns.
struct ArrayBlock {
    uint32_t dimensionCount;
    // followed by dimensionCount sizes, then the elements

    const uint32_t* dimensions() const { return &dimensionCount + 1; }
    uint32_t* dimensions() { return &dimensionCount + 1; }
    size_t headerSize() const { return 4 + 4 * size_t(dimensionCount); }
    // Product of the dimension sizes; 0 for no dimensions.
    uint64_t elementCount() const {
        if (dimensionCount == 0)
            return 0;
        uint64_t n = 1;
        for (uint32_t i = 0; i < dimensionCount; ++i)
            n *= dimensions()[i];
        return n;
    }
    uint8_t* elements() { return reinterpret_cast<uint8_t*>(this) + headerSize(); }
    const uint8_t* elements() const {
        return reinterpret_cast<const uint8_t*>(this) + headerSize();
    }
};

// The shared read-only constants. They are never written: an array variable
// holding EmptyArray() must be made private before any in-place write.
ConstText EmptyText();
ArrayBlock* EmptyArray();
inline ByteBlock* EmptyBytes() {
    return reinterpret_cast<ByteBlock*>(EmptyArray());
}
bool IsSharedConstant(const void* block);

// Length of a text, null counting as empty.
inline size_t TextLength(ConstText text) {
    return text ? std::strlen(text) : 0;
}

// Size rule: the number of value bytes of a value with this code whose value
// word holds `value` (the text or byte-block pointer for the variable kinds).
uint32_t ValueSize(TypeCode code, const void* value);
// Where the bytes of such a value start (the text itself, the bytes after a
// byte block's header, or `valueBytes` for the fixed-size codes).
const void* ValueData(TypeCode code, const void* value, const void* valueBytes);

}  // namespace rt
