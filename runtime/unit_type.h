// The contract between the window framework and the unit types that support
// libraries define: how a unit is created from its record in a window
// description, how its properties travel, and how a control's notifications
// become unit events.
//
// A unit type publishes its operations through its DataTypeInfo's
// operation look-up (entry numbers below) and its own properties through
// the descriptor array `DataTypeInfo::properties`, indexed by the unit's own
// property index. Property numbers as the application addresses them are
// own index + 8: numbers 0 to 7 are the common properties every unit has,
// kept by the window framework itself (see COMMON_PROPERTY_*).
//
// The unit object a type creates derives from WindowObject and holds the
// unit's native window (attached with WindowObject::Attach), so the system
// reads its handle like any framework window object. The framework stores
// the object in the unit's record (UnitEntry T+0) and deletes it through its
// virtual destructor when the unit is destroyed; the destructor destroys the
// native window it created.
//
// Every entry runs on the thread that owns the unit's window.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/runtime_objects.h"

namespace rt {

// Operation numbers of a unit type (DataTypeInfo::findOperation).
enum UnitTypeEntry : int32_t {
    UNIT_ENTRY_CREATE = 1,                // UnitCreateRoutine
    UNIT_ENTRY_SET_PROPERTY = 4,          // UnitSetPropertyRoutine
    UNIT_ENTRY_SAVE_PROPERTIES = 5,       // UnitSavePropertiesRoutine
    UNIT_ENTRY_GET_PROPERTY = 6,          // UnitGetPropertyRoutine
    UNIT_ENTRY_CLAIMS_KEY = 8,            // UnitClaimsKeyRoutine
    UNIT_ENTRY_NOTIFICATION = 9,          // UnitNotificationRoutine
    UNIT_ENTRY_TAKES_ENTER = 10,          // UnitTakesEnterRoutine
    UNIT_ENTRY_PRE_FILTER = 11,           // UnitPreFilterRoutine
    UNIT_ENTRY_NOTIFICATION_EVENTS = 12,  // UnitNotificationEventsRoutine
};

// Type flags (DataTypeInfo::flags) that input handling tests, besides the
// event bits of library_info.h.
inline constexpr uint32_t TYPE_FLAG_PRE_FILTER = 0x20;  // has entry 11
inline constexpr uint32_t TYPE_FLAG_OPTION_BUTTON = 0x400;
inline constexpr uint32_t TYPE_FLAG_BUTTON = 0x800;  // Enter goes to entry 10
inline constexpr uint32_t TYPE_FLAG_CHECK_BOX = 0x1000;
inline constexpr uint32_t TYPE_FLAG_LABEL = 0x2000;  // mnemonic focuses the next unit
inline constexpr uint32_t TYPE_FLAG_NO_MNEMONIC = 0x8000;
inline constexpr uint32_t TYPE_FLAGS_MNEMONIC = 0x7c00;  // one of these: has a caption
inline constexpr uint32_t TYPE_FLAG_DRAGS_WINDOW = 0x4000000;
inline constexpr uint32_t TYPE_FLAGS_EMBEDDED_CONTROL = 0x200040;

// What entry 1 is given. The property block is the L bytes of type data of
// the unit's record (see unit_property_block.h for its format); it may be
// null with length 0 (every property then takes its default).
struct UnitCreateArgs {
    const uint8_t* propertyBlock;
    uint32_t propertyBlockLength;
    uint32_t windowId;
    uint32_t unitId;
    NativeHandle parent;  // the native window the unit's window is a child of
    int32_t x, y, width, height;
    uint32_t style;      // the form's style bits for the unit's window
    uint32_t exStyle;    // the form's extended style bits
    int32_t designMode;  // 1: the form is being designed (no behaviour)
};

// The property value record of the getter and the setter: two words, each
// pointer-sized so a text's or byte block's address travels whole.
struct PropertyValue {
    uintptr_t w0;
    uintptr_t w1;
};

// Value kinds of a property descriptor.
enum PropertyKind : int16_t {
    KIND_WORD = 1000,  // also 1001, 1014, 1015, 1017: a 32-bit value
    KIND_WORD_B = 1001,
    KIND_LONG = 1002,  // also 1004: an 8-byte value
    KIND_LOGICAL = 1003,
    KIND_LONG_B = 1004,
    KIND_TEXT = 1005,  // also 1007, 1008, 1016, 1018 to 1022
    KIND_NON_NEGATIVE = 1006,
    KIND_TEXT_B = 1007,
    KIND_TEXT_C = 1008,
    KIND_BYTES = 1009,  // also 1010, 1012, 1023, 1024
    KIND_BYTES_B = 1010,
    KIND_CODED_BYTES = 1011,
    KIND_BYTES_C = 1012,
    KIND_FONT = 1013,
    KIND_WORD_C = 1014,
    KIND_WORD_D = 1015,
    KIND_TEXT_D = 1016,
    KIND_WORD_E = 1017,
    KIND_TEXT_E = 1018,
    KIND_TEXT_F = 1019,
    KIND_TEXT_G = 1020,
    KIND_TEXT_H = 1021,
    KIND_TEXT_I = 1022,
    KIND_BYTES_D = 1023,
    KIND_BYTES_E = 1024,
};

// One property of a unit type. 20 bytes as the descriptor array has always
// had them: the name's address would not fit, so the name is kept apart.
struct PropertyDescriptor {
    uint32_t reserved0;
    uint32_t reserved1;
    uint32_t reserved2;
    int16_t kind;  // byte 12: a PropertyKind
    uint16_t reserved3;
    uint32_t reserved4;
};
static_assert(sizeof(PropertyDescriptor) == 20);

// Entry 1. Answers the new unit object, null on failure.
using UnitCreateRoutine = WindowObject* (*)(const UnitCreateArgs* args);
// Entry 4: write own property `index`; `cleared` points at a word cleared
// to 0 (unused by the core types). Answers 1 when the framework must
// re-apply the unit's layout (a caption changed, a style switch changed).
using UnitSetPropertyRoutine = int32_t (*)(WindowObject* unit, int32_t index,
                                           const PropertyValue* value, int32_t* cleared);
// Entry 6: read own property `index` into `result`; answers 1 when the
// index exists (the result is left alone otherwise).
using UnitGetPropertyRoutine = int32_t (*)(WindowObject* unit, int32_t index,
                                           PropertyValue* result);
// Entry 5: the unit's properties as a property block, in a fresh block from
// RtAlloc; its length in *length.
using UnitSavePropertiesRoutine = uint8_t* (*)(WindowObject* unit, uint32_t* length);
// Entry 8: whether the unit's control keeps the key (a KeyCode) for itself,
// so the window's keyboard conventions leave it alone: 1 yes, 0 no.
using UnitClaimsKeyRoutine = int32_t (*)(WindowObject* unit, uint32_t keyCode);
// Entry 10: whether the unit takes Enter (then it gets its event 0): 1 yes.
using UnitTakesEnterRoutine = int32_t (*)(WindowObject* unit);
// Entry 11: a look at a queued message (the platform's MSG) before the
// window's conventions; non-zero consumes it.
using UnitPreFilterRoutine = int32_t (*)(WindowObject* unit, void* message);
// Entry 9: a notification from the unit's control (the code of WM_COMMAND's
// high word, or of WM_NOTIFY's header) -> the unit event to raise, or -1.
using UnitNotificationRoutine = int32_t (*)(WindowObject* unit, uint32_t code);
// Entry 12 (optional): every unit event one notification raises, in the
// order they are raised (a user's click on a check box is its click and
// then its change); writes at most `capacity` event numbers and answers
// how many. A type with entry 12 answers entry 9 with the first of them;
// whoever routes notifications asks entry 12 when the type has it, and
// asks only one of the two for a notification.
using UnitNotificationEventsRoutine = int32_t (*)(WindowObject* unit, uint32_t code,
                                                  int32_t* events, int32_t capacity);

// The common properties every unit has, numbers 0 to 7, kept by the window
// framework on the unit's native window.
enum CommonProperty : uint32_t {
    COMMON_PROPERTY_LEFT = 0,      // x of the unit's window in its parent's client area
    COMMON_PROPERTY_TOP = 1,       // y
    COMMON_PROPERTY_WIDTH = 2,     // outer width in pixels
    COMMON_PROPERTY_HEIGHT = 3,    // outer height in pixels
    COMMON_PROPERTY_VISIBLE = 4,   // logical: shown
    COMMON_PROPERTY_ENABLED = 5,   // logical: takes input
    COMMON_PROPERTY_TAB_STOP = 6,  // logical: reached by Tab
    COMMON_PROPERTY_TAG = 7,       // text the application keeps with the unit
};
inline constexpr uint32_t COMMON_PROPERTY_COUNT = 8;

// The unit object of a window's own unit (type 0x10003): the top-level
// native window and the window's keyboard and mouse conventions, which the
// window unit's properties set and input pre-translation reads.
struct FormInputSettings {
    int32_t inputDisabled = 0;      // non-zero: no application input processing
    int32_t foreignUnits = 0;       // non-zero: other windows' native windows count as units
    int32_t enterMovesFocus = 0;    // 1: Enter acts like Tab
    int32_t escapeCloses = 0;       // 1: Escape closes the window
    int32_t f1Help = 0;             // 1: F1 opens help
    std::string helpFile;           // runtime text; empty: derived from the program name
    int32_t helpContext = 0;        // 0: the contents
    int32_t helpShown = 0;          // set to 1 once help was opened
    int32_t dragAnywhere = 0;       // 1: a left press on the client area drags the window
    NativeHandle accelerators = 0;  // the window's accelerator table (0: none)
};

class FormWindowObject : public WindowObject {
public:
    uint32_t windowId = 0;
    FormInputSettings input;
};

}  // namespace rt
