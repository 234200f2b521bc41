// The unit input events: mouse, keyboard and wheel messages raised as
// events of the unit whose window they are aimed at (the window itself is
// unit index 0), before the platform dispatches them.
//
//   EVENT  MESSAGE                          ARGUMENTS
//   -1     left button down   (0x201)       x, y, shift state
//   -2     left button up     (0x202)       x, y, shift state
//   -3     left double click  (0x203)       x, y, shift state
//   -4     right button down  (0x204)       x, y, shift state
//   -5     right button up    (0x205)       x, y, shift state
//   -6     mouse move         (0x200)       x, y, shift state
//   -9     key down   (0x100, 0x104)        key, shift state
//   -10    key up     (0x101, 0x105)        key, shift state
//   -11    character  (0x102)               character code
//   -12    wheel      (0x20A)               notches, shift state
//
// x and y are the message's 16-bit client coordinates, unsigned. The key is
// the KeyCode's low 13 bits and the shift state comes from its modifier
// bits; mouse and wheel events read the current key states. Notches are the
// wheel delta divided by 120, rounded toward zero (away from the user is
// negative).
//
// A handler that reports the result 0 cancels the message. A character
// handler that reports another value replaces the character.
//
// Messages aimed at the window itself (unit index 0) raise nothing: the
// window unit's one handler is its load handler, which is not told the
// event it runs for.
#pragma once

#include "runtime/input/form_input.h"

namespace rt {

enum UnitInputEvent : int32_t {
    EVENT_LEFT_DOWN = -1,
    EVENT_LEFT_UP = -2,
    EVENT_LEFT_DOUBLE_CLICK = -3,
    EVENT_RIGHT_DOWN = -4,
    EVENT_RIGHT_UP = -5,
    EVENT_MOUSE_MOVE = -6,
    EVENT_KEY_DOWN = -9,
    EVENT_KEY_UP = -10,
    EVENT_CHARACTER = -11,
    EVENT_WHEEL = -12,
};

// The event a message raises; 0 when it raises none.
int32_t UnitInputEventOf(uint32_t message);

// Raises the message's event on the unit of `input` its window belongs to.
// Answers true when a handler cancelled the message; may change the
// character code of a character message.
bool RaiseUnitInputEvent(const FormInput& input, platform::MSG* msg);

}  // namespace rt
