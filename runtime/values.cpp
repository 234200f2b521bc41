#include "runtime/values.h"

namespace rt {
namespace {

// Both constants live in read-only storage, so a stray write faults at once
// instead of corrupting every empty value in the program.
const char kEmptyText[1] = {0};
alignas(16) const uint32_t kEmptyArray[4] = {1, 0, 0, 0};

}  // namespace

ConstText EmptyText() {
    return kEmptyText;
}

ArrayBlock* EmptyArray() {
    return reinterpret_cast<ArrayBlock*>(const_cast<uint32_t*>(kEmptyArray));
}

bool IsSharedConstant(const void* block) {
    return block == static_cast<const void*>(kEmptyText) ||
           block == static_cast<const void*>(kEmptyArray);
}

uint32_t ValueSize(TypeCode code, const void* value) {
    switch (code) {
        case TYPE_TEXT:
            return static_cast<uint32_t>(TextLength(static_cast<ConstText>(value)) + 1);
        case TYPE_BYTES:
            return value ? static_cast<const ByteBlock*>(value)->length : 0;
        default:
            return FixedValueSize(code);
    }
}

const void* ValueData(TypeCode code, const void* value, const void* valueBytes) {
    switch (code) {
        case TYPE_TEXT:
            return value ? value : EmptyText();
        case TYPE_BYTES:
            return value ? static_cast<const ByteBlock*>(value)->bytes() : nullptr;
        default:
            return valueBytes;
    }
}

}  // namespace rt
