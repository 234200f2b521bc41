// Type codes of the values that cross from application code into commands.
#pragma once

#include <cstdint>

namespace rt {

using TypeCode = uint32_t;
// A type defined by a support library: high 16 bits library number + 1,
// low 16 bits the type's number within that library.
using LibraryTypeCode = uint32_t;

inline constexpr TypeCode TYPE_OMITTED = 0;
inline constexpr TypeCode TYPE_BYTE = 0x80000101;
inline constexpr TypeCode TYPE_SHORT = 0x80000201;
inline constexpr TypeCode TYPE_INT = 0x80000301;
inline constexpr TypeCode TYPE_LONG = 0x80000401;
inline constexpr TypeCode TYPE_FLOAT = 0x80000501;
inline constexpr TypeCode TYPE_DOUBLE = 0x80000601;
inline constexpr TypeCode TYPE_BOOL = 0x80000002;
inline constexpr TypeCode TYPE_DATETIME = 0x80000003;
inline constexpr TypeCode TYPE_TEXT = 0x80000004;
inline constexpr TypeCode TYPE_BYTES = 0x80000005;
inline constexpr TypeCode TYPE_SUBPTR = 0x80000006;
inline constexpr TypeCode TYPE_EXTRA8 = 0x80000008;

inline constexpr TypeCode ARRAY_FLAG = 0x20000000;

// Library type codes the application passes.
inline constexpr LibraryTypeCode CORE_WINDOW_TYPE = 0x10001;
inline constexpr LibraryTypeCode CORE_DIALOG_TYPE = 0x1001f;
inline constexpr LibraryTypeCode CORE_INTERFACE_HOLDER_TYPE = 0x10030;
inline constexpr LibraryTypeCode DROP_TARGET_TYPE = 0x60001;

// The class of a code is its top two bits.
enum class TypeClass : uint32_t { Library = 0, Second = 1, Core = 2, LibraryAlt = 3 };

constexpr TypeClass ClassOf(TypeCode code) {
    return static_cast<TypeClass>(code >> 30);
}
constexpr bool IsCoreType(TypeCode code) {
    return ClassOf(code) == TypeClass::Core;
}
constexpr bool IsLibraryType(TypeCode code) {
    return code != 0 && (code >> 30) == 0;
}
constexpr bool IsArrayType(TypeCode code) {
    return (code & ARRAY_FLAG) != 0;
}
constexpr TypeCode ElementTypeOf(TypeCode code) {
    return code & ~ARRAY_FLAG;
}

// Numeric codes are the core codes whose low byte is 0x01; their second byte
// counts 1..6 in the order byte, short, int, long, float, double.
constexpr bool IsNumericType(TypeCode code) {
    return IsCoreType(code) && (code & 0xff) == 0x01 && ((code >> 8) & 0xff) >= 1 &&
           ((code >> 8) & 0xff) <= 6 && (code & 0x3fff0000) == 0;
}

constexpr uint32_t LibraryNumberOf(LibraryTypeCode code) {
    return (code >> 16) - 1;
}
constexpr uint32_t TypeNumberOf(LibraryTypeCode code) {
    return code & 0xffff;
}

// Bytes a numeric value occupies; 0 for every other code.
constexpr uint32_t NumericSize(TypeCode code) {
    switch (code) {
        case TYPE_BYTE:
            return 1;
        case TYPE_SHORT:
            return 2;
        case TYPE_INT:
        case TYPE_FLOAT:
            return 4;
        case TYPE_LONG:
        case TYPE_DOUBLE:
            return 8;
        default:
            return 0;
    }
}

// Bytes a value of a fixed-size code occupies (the size rule without the
// two variable-size codes, which need the value itself: see ValueSize).
constexpr uint32_t FixedValueSize(TypeCode code) {
    if (const uint32_t numeric = NumericSize(code))
        return numeric;
    switch (code) {
        case TYPE_BOOL:
        case TYPE_SUBPTR:
            return 4;
        case TYPE_DATETIME:
        case TYPE_EXTRA8:
            return 8;
        default:
            return 0;
    }
}

}  // namespace rt
