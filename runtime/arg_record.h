// The 12-byte records that carry arguments into commands and results back.
#pragma once

#include <cstdint>
#include <cstring>

#include "runtime/type_codes.h"
#include "runtime/values.h"

namespace rt {

// Eight value bytes (low word first) and a type code. A pointer fills all
// eight value bytes; a 4-byte value fills the low four and leaves the rest 0.
// An omitted argument is three zero words.
struct ArgRecord {
    uint32_t low = 0;
    uint32_t high = 0;
    TypeCode type = TYPE_OMITTED;

    bool omitted() const { return type == TYPE_OMITTED; }
    int32_t asInt() const { return static_cast<int32_t>(low); }
    uint32_t asWord() const { return low; }
    int64_t asLong() const { return static_cast<int64_t>((uint64_t(high) << 32) | low); }
    uint64_t bits() const { return (uint64_t(high) << 32) | low; }
    double asDouble() const {
        double d;
        uint64_t b = bits();
        std::memcpy(&d, &b, 8);
        return d;
    }
    float asFloat() const {
        float f;
        std::memcpy(&f, &low, 4);
        return f;
    }
    void* asPointer() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(bits())); }
    ConstText asText() const { return static_cast<ConstText>(asPointer()); }
    const ByteBlock* asBytes() const { return static_cast<const ByteBlock*>(asPointer()); }
    // A UnitRef names a window unit: window id low, unit id high.
    uint32_t windowId() const { return low; }
    uint32_t unitId() const { return high; }

    static ArgRecord Int(int32_t v, TypeCode t = TYPE_INT) {
        return {static_cast<uint32_t>(v), 0, t};
    }
    static ArgRecord Long(int64_t v, TypeCode t = TYPE_LONG) {
        auto u = static_cast<uint64_t>(v);
        return {static_cast<uint32_t>(u), static_cast<uint32_t>(u >> 32), t};
    }
    static ArgRecord Double(double d, TypeCode t = TYPE_DOUBLE) {
        uint64_t b;
        std::memcpy(&b, &d, 8);
        return {static_cast<uint32_t>(b), static_cast<uint32_t>(b >> 32), t};
    }
    static ArgRecord Pointer(const void* p, TypeCode t) {
        auto u = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p));
        return {static_cast<uint32_t>(u), static_cast<uint32_t>(u >> 32), t};
    }
    // Commands never receive a null text: null becomes the shared empty text.
    static ArgRecord TextArg(ConstText s) { return Pointer(s ? s : EmptyText(), TYPE_TEXT); }
    static ArgRecord BytesArg(const ByteBlock* b) {
        return Pointer(b ? b : EmptyBytes(), TYPE_BYTES);
    }
    static ArgRecord Unit(uint32_t windowId, uint32_t unitId, LibraryTypeCode type) {
        return {windowId, unitId, type};
    }
    static ArgRecord Omitted() { return {}; }
};
static_assert(sizeof(ArgRecord) == 12);

// A command's result: the shape of an ArgRecord, cleared before every call.
using ResultSlot = ArgRecord;
using UnitRef = ArgRecord;

// A command of a support library.
using CommandEntry = void (*)(ResultSlot* result, int32_t argCount, const ArgRecord* args);

// Helpers for commands that hand back values.
void SetResultInt(ResultSlot* result, int32_t value);
void SetResultLong(ResultSlot* result, int64_t value);
void SetResultDouble(ResultSlot* result, double value);
void SetResultPointer(ResultSlot* result, const void* block, TypeCode type);

}  // namespace rt
