// The value kinds of property descriptors (1000 to 1024) grouped by how
// their values travel, and the conversions of every kind but the font kind
// (font_kind.h) between an application value and a PropertyValue record.
//
// Record words by class (w0, w1 of rt::PropertyValue):
//   Word, NonNegative  w0: the 32-bit value (zero-extended)
//   Long               w0: low 32 bits, w1: high 32 bits
//   Logical            w0: 0 or 1 when set; get reads 1 only from w0 == 1
//   Text               w0: address of a zero-terminated runtime text
//   Bytes, CodedBytes  w0: address of the bytes, w1: their count
//   Font               w0: address of a 60-byte LOGFONT, w1: 60
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/unit_type.h"

namespace rt {

enum class KindClass {
    Unknown,
    Word,         // 1000, 1001, 1014, 1015, 1017
    Long,         // 1002, 1004
    Logical,      // 1003
    Text,         // 1005, 1007, 1008, 1016, 1018 to 1022
    NonNegative,  // 1006
    Bytes,        // 1009, 1010, 1012, 1023, 1024
    CodedBytes,   // 1011
    Font,         // 1013
};

KindClass ClassOfKind(int16_t kind);

// The address an 8-byte application value carries.
inline const void* ValuePointer(uint32_t low, uint32_t high) {
    return reinterpret_cast<const void*>(uintptr_t((uint64_t(high) << 32) | low));
}
inline uint64_t PointerValue(const void* pointer) {
    return uint64_t(reinterpret_cast<uintptr_t>(pointer));
}

// Application value -> setter record. A coded byte block whose first word
// must be translated is copied into `scratch`, which the caller keeps until
// the setter has returned. Unknown and font classes give a cleared record.
PropertyValue RecordFromValue(KindClass kind, uint32_t low, uint32_t high,
                              std::vector<uint8_t>* scratch);

// Getter record -> application value; texts and byte blocks are fresh
// SN_ALLOC blocks (null when empty). Unknown and font classes give 0.
uint64_t ValueFromRecord(KindClass kind, const PropertyValue& record);

// Fresh SN_ALLOC copies; null for empty input or when nothing can be
// allocated.
char* FreshText(const char* text, size_t length);
// A fresh SN_ALLOC block of `size` bytes, contents undefined; null when
// nothing can be allocated.
void* FreshBlock(size_t size);
void* FreshByteBlock(const void* bytes, size_t length);

}  // namespace rt
