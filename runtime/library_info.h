// What the system knows of each support library: its data types and its
// LibraryNotify entry. The system keeps one pointer per library, indexed by
// library number (the core library is number 0).
#pragma once

#include <cstdint>

#include "runtime/notify.h"
#include "runtime/type_codes.h"

namespace rt {

// A type's operation look-up: the routine for an operation number, or null.
using OperationLookup = void* (*)(int32_t operation);

struct PropertyDescriptor;

struct DataTypeInfo {
    const char* name;
    uint32_t flags;
    OperationLookup findOperation;
    // The type's own properties, indexed by own property index (property
    // number - 8, see unit_type.h); null for types without properties.
    const PropertyDescriptor* properties = nullptr;
    int32_t propertyCount = 0;
};

// Bits of DataTypeInfo::flags the system core tests.
inline constexpr uint32_t TYPE_FLAG_KIND2 = 0x4;
inline constexpr uint32_t TYPE_FLAG_KIND1 = 0x40;
// Either kind bit: units of the type raise events.
inline constexpr uint32_t TYPE_FLAGS_EVENTS = TYPE_FLAG_KIND1 | TYPE_FLAG_KIND2;
// Window-behaviour bits, tested when the system looks for the unit that owns
// a native window.
inline constexpr uint32_t TYPE_FLAG_WINDOW_A = 0x400;
inline constexpr uint32_t TYPE_FLAGS_WINDOW_B = 0x200200;

struct LibraryInfo {
    const char* name;
    int32_t typeCount;
    // typeCount entries in type-number order (type number 1 first).
    const DataTypeInfo* types;
    // May be null: the library then gets no library messages.
    NotifyEntry notify;
};

// A LibraryTypeCode's kind, from its top two bits: 0 no type, 1 a system
// type (binary 10), 2 (binary 01), 3 a library-defined type (00 or 11).
enum class TypeKind : uint32_t { None = 0, System = 1, Second = 2, Library = 3 };

constexpr TypeKind KindOfTypeCode(uint32_t code) {
    if (code == 0)
        return TypeKind::None;
    switch (code >> 30) {
        case 2:
            return TypeKind::System;
        case 1:
            return TypeKind::Second;
        default:
            return TypeKind::Library;
    }
}

}  // namespace rt
