// Creating the demonstration window's native windows from its unit
// records, the way the window framework loads any window: every unit that
// is not a menu item through its type's entry 1, in table order, each a
// child of its parent unit's window (the window itself for parent 0); then
// the menu bar from the menu items.
#pragma once

#include "runtime/application_object.h"

namespace demo {

// False when a unit's type cannot create it (nothing is left half made:
// the units created so far are destroyed again).
bool LoadDemoWindow(rt::ApplicationObject& app, rt::WindowRecord& window);

}  // namespace demo
