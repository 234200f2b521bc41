// Unit property values: how an application value (8 bytes, low word first)
// becomes the record a unit type's setter receives, and how the record its
// getter fills becomes an application value again.
//
// Property numbers 0 to 7 are the common properties every unit has; they
// live on the unit's native window and are applied here directly:
//
//   NUMBER  PROPERTY   KIND                   MEANING
//   0       left       32-bit value (1000)    x of the window in its parent's client
//                                             area (screen x for a top-level window)
//   1       top        32-bit value (1000)    y, likewise
//   2       width      32-bit value (1000)    outer width in pixels; negative is 0
//   3       height     32-bit value (1000)    outer height in pixels; negative is 0
//   4       visible    logical (1003)         the window's WS_VISIBLE bit
//   5       enabled    logical (1003)         the window takes input
//   6       tab stop   logical (1003)         the window's WS_TABSTOP bit
//   7       tag        text (1005)            a text the application keeps with the
//                                             unit; it lives as long as the window
//
// Numbers from 8 on address the type's own property number - 8, through the
// type's descriptor (its value kind) and the type's entries 6 (get) and 4
// (set); see runtime/unit_type.h. Element indexes matter only to the font
// kind; every other kind ignores them.
//
// Values that are pointers (texts, byte blocks, FontValue records) fill
// both words: low word = bits 0-31 of the address, high word = bits 32-63.
// Every text, byte block or FontValue handed back is a fresh block from the
// system's allocation message (SN_ALLOC), which the caller releases with
// RtFree; an empty text or byte block comes back as null.
//
// All of this runs on the thread that owns the unit's window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/runtime_objects.h"
#include "runtime/unit_type.h"

namespace rt {

// The font kind's value as the application sees it, element -1. Six 32-bit
// fields, then the face-name text's address, which is pointer-sized:
//
//   OFFSET  SIZE  FIELD      (element index)
//   0       4     angle      (0) tenths of a degree
//   4       4     bold       (1) 0 or 1
//   8       4     italic     (2) 0 or 1
//   12      4     strike-out (3) 0 or 1
//   16      4     underline  (4) 0 or 1
//   20      4     size       (5) points
//   24      8     face       (6) runtime text (null: empty)
//
// A FontValue that GetUnitProperty hands back owns its face text: release
// the face (when non-null), then the record.
struct FontValue {
    int32_t angle;
    int32_t bold;
    int32_t italic;
    int32_t strikeOut;
    int32_t underline;
    int32_t size;
    const char* face;
};
static_assert(offsetof(FontValue, face) == 24);
static_assert(sizeof(FontValue) == 24 + sizeof(void*));

// The value of property `propertyNumber` of `unit`, a unit of type
// `unitType`. 0 for an unknown type, number or kind, or a null unit.
uint64_t GetUnitProperty(uint32_t unitType, WindowObject* unit, uint32_t propertyNumber,
                         int32_t element);

// Writes property `propertyNumber`; an unknown type, number or kind, or a
// null unit, changes nothing.
void SetUnitProperty(uint32_t unitType, WindowObject* unit, uint32_t propertyNumber,
                     int32_t element, uint32_t valueLow, uint32_t valueHigh);

// Re-applies every own property of the unit: each one the getter answers
// is handed back to the setter, so the native window shows the stored
// state again (the system's SN_REFRESH_UNIT).
void RefreshUnitProperties(uint32_t unitType, WindowObject* unit);

// The kind of common property `number` (0 to 7); 0 for any other number.
int16_t CommonPropertyKind(uint32_t number);

}  // namespace rt
