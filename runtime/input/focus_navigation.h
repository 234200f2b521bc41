// Moving the focus among a window's units with the keyboard.
//
// Tab order: the units with a tab order (not -1) whose native window
// exists, is shown and is enabled, by tab order and then by table order.
// Option buttons that follow each other in that order under the same parent
// window count as one stop: Tab lands on the group's checked button, or on
// its first one when none is checked. Tab after the last stop wraps to the
// first, Shift+Tab before the first to the last; from a unit that is no
// stop (the window itself, a label) Tab goes to the first stop.
//
// The arrow keys move among the option buttons under one parent window (in
// table order, wrapping), which also selects the button reached, as a click
// would.
#pragma once

#include <vector>

#include "runtime/input/form_input.h"

namespace rt {

// A unit that may take the focus at all: not the window itself nor a menu
// item, with a native window that exists, is shown and is enabled.
bool CanTakeFocus(const FormInput& input, int32_t index);

// The Tab stops in order; each is one unit or one option group.
std::vector<std::vector<int32_t>> TabStops(const FormInput& input);

// The unit Tab (or Shift+Tab with `previous`) moves the focus to from unit
// `from` (-1: from nowhere); -1 when no unit can take it.
int32_t NextTabUnit(const FormInput& input, int32_t from, bool previous);

// Moves the focus from the unit that holds it; answers whether it moved.
bool MoveFocus(const FormInput& input, bool previous);

// The option button `step` places from `index` among those under the same
// parent window, wrapping; `index` itself when it is alone.
int32_t OptionGroupNeighbour(const FormInput& input, int32_t index, int32_t step);

// Checks option button `index` and clears the other option buttons under
// the same parent window.
void SelectOptionButton(const FormInput& input, int32_t index);

// Gives the unit's native window the focus; a control that keeps a text
// selection (an edit) gets its whole text selected.
void FocusUnit(const FormInput& input, int32_t index);

}  // namespace rt
