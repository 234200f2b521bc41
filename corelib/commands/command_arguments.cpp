#include "corelib/commands/command_arguments.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "corelib/commands/core_library.h"
#include "runtime/notify.h"

namespace corelib {
namespace {

void* SystemAllocate(size_t size) {
    return reinterpret_cast<void*>(CallSystem(rt::SN_ALLOC, intptr_t(size), 0));
}

// Fraction dropped; values beyond the 32-bit range saturate and NaN reads
// as 0, where a plain conversion would be undefined.
int32_t Truncate(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

}  // namespace

std::string_view TextOf(const rt::ArgRecord& arg) {
    if (arg.type != rt::TYPE_TEXT || !arg.asText())
        return {};
    return std::string_view(arg.asText());
}

int32_t IntegerOf(const rt::ArgRecord& arg) {
    switch (arg.type) {
        case rt::TYPE_BOOL:
        case rt::TYPE_INT:
        case rt::TYPE_LONG:
        case rt::TYPE_SUBPTR:
            return int32_t(arg.low);
        case rt::TYPE_BYTE:
            return int32_t(arg.low & 0xff);
        case rt::TYPE_SHORT:
            return int32_t(int16_t(arg.low & 0xffff));
        case rt::TYPE_FLOAT:
            return Truncate(arg.asFloat());
        case rt::TYPE_DOUBLE:
            return Truncate(arg.asDouble());
        default:
            return 0;
    }
}

char* NewResultText(std::string_view bytes) {
    if (bytes.empty())
        return nullptr;
    auto* text = static_cast<char*>(SystemAllocate(bytes.size() + 1));
    if (!text)
        return nullptr;
    std::memcpy(text, bytes.data(), bytes.size());
    text[bytes.size()] = 0;
    return text;
}

rt::ByteBlock* NewResultBytes(const void* data, size_t length) {
    if (length == 0 || length > std::numeric_limits<uint32_t>::max())
        return nullptr;
    auto* block = static_cast<rt::ByteBlock*>(SystemAllocate(sizeof(rt::ByteBlock) + length));
    if (!block)
        return nullptr;
    block->dimensions = 1;
    block->length = uint32_t(length);
    if (data) {
        std::memcpy(block->bytes(), data, length);
    } else {
        std::memset(block->bytes(), 0, length);
    }
    return block;
}

rt::ArrayBlock* NewPointerArray(size_t count) {
    size_t bytes = 8 + count * sizeof(void*);
    auto* array = static_cast<rt::ArrayBlock*>(SystemAllocate(bytes));
    if (!array)
        return nullptr;
    std::memset(array, 0, bytes);
    array->dimensionCount = 1;
    array->dimensions()[0] = uint32_t(count);
    return array;
}

void SetTextResult(rt::ResultSlot* result, std::string_view bytes) {
    rt::SetResultPointer(result, NewResultText(bytes), rt::TYPE_TEXT);
}

void SetBoolResult(rt::ResultSlot* result, bool value) {
    rt::SetResultInt(result, value ? 1 : 0);
    result->type = rt::TYPE_BOOL;
}

}  // namespace corelib
