// The KeyCode the unit key events carry: 16 bits built from a key message.
//
//   BITS   MEANING
//   0-7    the virtual key; keypad digits 0x60-0x69 become the digit keys
//          0x30-0x39, keypad subtract 0x6D becomes 0xBD, keypad decimal
//          0x6E 0xBE and keypad divide 0x6F 0xBF (the main keyboard's keys)
//   13     0x2000 Ctrl down (not set for the Ctrl key itself)
//   14     0x4000 Shift down (not set for the Shift key itself)
//   15     0x8000 Alt down (not set for the Alt key itself)
//
// Examples: Tab 0x0009, Shift+Tab 0x4009, Alt+A 0x8041.
#pragma once

#include <cstdint>

#include "platform/windowing/windows.h"

namespace rt {

inline constexpr uint32_t KEY_CODE_CTRL = 0x2000;
inline constexpr uint32_t KEY_CODE_SHIFT = 0x4000;
inline constexpr uint32_t KEY_CODE_ALT = 0x8000;
inline constexpr uint32_t KEY_CODE_KEY_MASK = 0x1FFF;

// The shift-state value of the unit events: Ctrl 1, Shift 2, Alt 4, added.
inline constexpr int32_t SHIFT_STATE_CTRL = 1;
inline constexpr int32_t SHIFT_STATE_SHIFT = 2;
inline constexpr int32_t SHIFT_STATE_ALT = 4;

// The code of `virtualKey` with the given modifiers down.
uint32_t MakeKeyCode(uint32_t virtualKey, bool ctrl, bool shift, bool alt);

// The KeyCode of a key-down or system-key-down message, with the modifier
// states the thread saw last; 0 for any other message.
uint32_t KeyCodeOf(const platform::MSG& msg);
// The same computation for a key-up or system-key-up message (unit event
// -10); 0 for any other message.
uint32_t KeyUpCodeOf(const platform::MSG& msg);

// The shift state held in a KeyCode's modifier bits.
int32_t ShiftStateOfKeyCode(uint32_t keyCode);
// The shift state from the current states of Ctrl, Shift and Alt (mouse and
// wheel events).
int32_t CurrentShiftState();

}  // namespace rt
