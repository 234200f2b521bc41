// The records of the skinning engine: how a window is classified, the one
// record kept per subclassed control, its state flags, and the action word
// through which the message policy tells the window procedure what to do.
#pragma once

#include <cstdint>

#include "platform/windowing/windows.h"

namespace desktop::skin {

using platform::COLORREF;
using platform::HBRUSH;
using platform::HWND;
using platform::LPARAM;
using platform::LRESULT;
using platform::WNDPROC;
using platform::WPARAM;

// What a window is to the skin. Kinds 6 to 10 are controls the skin knows
// but leaves alone; only 0 to 5, 11 and 12 are ever subclassed.
enum ControlKind : int32_t {
    KIND_NOT_SKINNED = -1,
    KIND_PUSH_BUTTON = 0,
    KIND_CHECK_BOX = 1,
    KIND_RADIO_BUTTON = 2,
    KIND_EDIT = 3,
    KIND_COMBO_BOX = 4,
    KIND_UP_DOWN = 5,
    KIND_RECOGNISED_FIRST = 6,
    KIND_RECOGNISED_LAST = 10,
    KIND_GROUP_BOX = 11,
    KIND_LIST_BOX = 12,
};

constexpr bool IsSubclassedKind(int32_t kind) {
    return (kind >= KIND_PUSH_BUTTON && kind <= KIND_UP_DOWN) || kind == KIND_GROUP_BOX ||
           kind == KIND_LIST_BOX;
}
constexpr bool IsButtonKind(int32_t kind) {
    return kind >= KIND_PUSH_BUTTON && kind <= KIND_RADIO_BUTTON;
}

// State flags. Some bits mean different things on different kinds.
inline constexpr uint32_t SK_DISABLED = 0x1;
inline constexpr uint32_t SK_PUSHED = 0x2;  // button pressed; combo or up-down held down
inline constexpr uint32_t SK_HOT = 0x4;     // pointer over the control
inline constexpr uint32_t SK_FOCUSED = 0x10;
inline constexpr uint32_t SK_HORIZONTAL = 0x20;  // up-down with the horizontal style
inline constexpr uint32_t SK_DROPDOWN = 0x2000;
inline constexpr uint32_t SK_DROPDOWNLIST = 0x4000;
inline constexpr uint32_t SK_DEFAULT = 0x10000;        // push buttons
inline constexpr uint32_t SK_FIRST_HALF = 0x10000;     // up-down: pointer over the left/upper half
inline constexpr uint32_t SK_BUDDY_LEFT = 0x10000;     // edit: up-down attached on its left
inline constexpr uint32_t SK_CHECKED = 0x20000;        // check boxes, radio buttons
inline constexpr uint32_t SK_BUDDY_RIGHT = 0x20000;    // edit: up-down attached on its right
inline constexpr uint32_t SK_INDETERMINATE = 0x40000;  // three-state box in its third state
inline constexpr uint32_t SK_ALIGN_LEFT = 0x100000;    // up-down left of its edit field
inline constexpr uint32_t SK_ALIGN_RIGHT = 0x200000;   // up-down right of its edit field
inline constexpr uint32_t SK_READONLY = 0x10000000;

// One per subclassed control, linked into the engine's list. Words that
// hold handles or addresses are pointer-sized; the rest keep 32 bits.
struct SkinRecord {
    HWND window = nullptr;
    int32_t kind = KIND_NOT_SKINNED;
    uint32_t flags = 0;
    // The parent's background for the control, as its brush and its colour,
    // and the text colour the parent left in the control's context; taken
    // at every erase-background message.
    COLORREF background = 0;
    COLORREF textColor = 0;
    HBRUSH backgroundBrush = nullptr;
    SkinRecord* next = nullptr;
    WNDPROC originalProc = nullptr;
    uint32_t reserved = 0;
};

// The action word: bits carried out by the skin window procedure in this
// order. The low 16 bits are an answer when ACT_RETURN_LOW is set.
inline constexpr uint32_t ACT_COMMON = 0x10000;    // run the common state handler, OR in its word
inline constexpr uint32_t ACT_ORIGINAL = 0x20000;  // call the original procedure
inline constexpr uint32_t ACT_DEFAULT = 0x40000;   // call the default procedure
inline constexpr uint32_t ACT_PAINT = 0x80000;     // paint with the kind's painter
inline constexpr uint32_t ACT_ORIGINAL_AFTER = 0x100000;  // call the original procedure (again)
inline constexpr uint32_t ACT_DEFAULT_AFTER = 0x200000;   // call the default procedure
inline constexpr uint32_t ACT_RETURN_LOW = 0x800000;      // answer the low 16 bits of the word

inline constexpr uint32_t ACT_COMMON_THEN_ORIGINAL = ACT_COMMON | ACT_ORIGINAL;  // 0x30000
inline constexpr uint32_t ACT_ORIGINAL_THEN_PAINT = ACT_ORIGINAL | ACT_PAINT;    // 0xA0000
inline constexpr uint32_t ACT_DEFAULT_THEN_PAINT = ACT_DEFAULT | ACT_PAINT;      // 0xC0000
inline constexpr uint32_t ACT_COMMON_ORIGINAL_PAINT =
    ACT_COMMON | ACT_ORIGINAL | ACT_PAINT;  // 0xB0000

// Colour schemes.
inline constexpr int32_t SCHEME_BLUE = 1;
inline constexpr int32_t SCHEME_OLIVE = 2;
inline constexpr int32_t SCHEME_SILVER = 3;
constexpr bool IsScheme(int32_t scheme) {
    return scheme >= SCHEME_BLUE && scheme <= SCHEME_SILVER;
}

}  // namespace desktop::skin
