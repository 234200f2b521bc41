// The unit types of the core library: their type codes, their events, and
// the one call that publishes them in the core library's type table. The
// property tables of every type are in docs/units.md.
#pragma once

#include <cstdint>

#include "corelib/units/core_unit.h"
#include "runtime/type_codes.h"
#include "runtime/unit_entry.h"

namespace corelib::units {

// Type codes, as window descriptions name them.
inline constexpr rt::LibraryTypeCode kWindowUnitType = rt::WINDOW_UNIT_TYPE;  // 0x10003
inline constexpr rt::LibraryTypeCode kLabelType = 0x10004;
inline constexpr rt::LibraryTypeCode kPushButtonType = 0x10005;
inline constexpr rt::LibraryTypeCode kCheckBoxType = 0x10006;
inline constexpr rt::LibraryTypeCode kDropDownListType = 0x10009;
inline constexpr rt::LibraryTypeCode kProgressBarType = 0x10012;
inline constexpr rt::LibraryTypeCode kDialogType = rt::CORE_DIALOG_TYPE;  // 0x1001f

// Unit events.
enum LabelEvent : int32_t { LABEL_EVENT_CLICK = 0, LABEL_EVENT_DOUBLE_CLICK = 1 };
enum PushButtonEvent : int32_t { PUSH_BUTTON_EVENT_CLICK = 0 };
enum CheckBoxEvent : int32_t {
    CHECK_BOX_EVENT_CLICK = 0,
    CHECK_BOX_EVENT_CHANGE = 1,  // the user changed the ticked state
};
enum DropDownListEvent : int32_t {
    DROP_DOWN_EVENT_SELECTION_CHANGED = 0,
    DROP_DOWN_EVENT_TEXT_CHANGED = 1,
};

const CoreUnitType& WindowUnitType();
const CoreUnitType& LabelType();
const CoreUnitType& PushButtonType();
const CoreUnitType& CheckBoxType();
const CoreUnitType& DropDownListType();
const CoreUnitType& ProgressBarType();
const CoreUnitType& DialogType();

// Fills the core library's DataTypeInfo entries of these types and routes
// OpenFileDialog to the dialog unit. Call once at start-up, before the
// first window is loaded.
void InstallCoreUnitTypes();

}  // namespace corelib::units
