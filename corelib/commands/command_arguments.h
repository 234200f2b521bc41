// Reading command arguments by position and handing results back as fresh
// blocks from the system's allocator (so the application may RtFree them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/arg_record.h"
#include "runtime/values.h"

namespace corelib {

// Argument `index`, or an omitted record when the call has fewer.
inline rt::ArgRecord ArgumentAt(int32_t count, const rt::ArgRecord* args, int32_t index) {
    if (!args || index < 0 || index >= count)
        return rt::ArgRecord::Omitted();
    return args[index];
}

// The bytes of a text argument; empty for anything that is not a text.
std::string_view TextOf(const rt::ArgRecord& arg);
// A numeric or logical argument as a 32-bit integer (ToInteger's rules for
// the non-text codes); 0 for anything else.
int32_t IntegerOf(const rt::ArgRecord& arg);

// A fresh text holding the bytes, or null for an empty one.
char* NewResultText(std::string_view bytes);
// A fresh byte block holding the bytes, or null for an empty one.
rt::ByteBlock* NewResultBytes(const void* data, size_t length);
// A fresh one-dimensional array of `count` pointer elements, all null.
rt::ArrayBlock* NewPointerArray(size_t count);

void SetTextResult(rt::ResultSlot* result, std::string_view bytes);
void SetBoolResult(rt::ResultSlot* result, bool value);

}  // namespace corelib
