// A window's keyboard conventions, taken in this order for a key-down's
// KeyCode. "Free" means the unit holding the focus does not keep the key
// for itself (its type answers 1 to operation 8 when it does: an edit that
// takes Tab, a list that takes Enter).
//   Tab, Shift+Tab (free)   the focus moves in tab order
//   Enter (free)            the focused unit takes it when it is a button
//                           whose type confirms (operation 10), raising
//                           its event 0; otherwise, with Enter-moves-focus,
//                           the focus moves on; otherwise the first unit in
//                           table order that confirms takes it
//   Escape (free)           with Escape-closes: the window is asked to close
//   arrows                  on an option button: the next or previous one
//                           of its group is focused and selected
//   F1 (free)               with F1-help: the window's help (help_file.h)
//   Alt+letter or digit     (free, no Ctrl or Shift) the mnemonic
//                           (mnemonics.h)
#pragma once

#include "runtime/input/form_input.h"

namespace rt {

inline constexpr uint32_t KEY_TAB = 0x0009;
inline constexpr uint32_t KEY_SHIFT_TAB = 0x4009;
inline constexpr uint32_t KEY_ENTER = 0x000D;
inline constexpr uint32_t KEY_ESCAPE = 0x001B;
inline constexpr uint32_t KEY_F1 = 0x0070;

// Whether the focused unit leaves the key to the window.
bool KeyIsFree(const FormInput& input, uint32_t keyCode);

// Answers true when a convention consumed the key.
bool ApplyKeyboardConventions(const FormInput& input, platform::MSG* msg, uint32_t keyCode);

}  // namespace rt
