// Creating a window's native windows from its unit records: every unit
// through its type's entry 1, in table order (the window's own unit first),
// each a child of its parent unit's window; the window's menu bar after
// its units.
#pragma once

#include <cstdint>

#include "runtime/window_record.h"

namespace rt {

// Creates the native windows of every unit that has none yet and leaves
// each unit's object in its record. On failure the units created by this
// call are destroyed again and the answer is false.
bool LoadWindowUnits(WindowRecord& window, NativeHandle parent, int32_t mode);

}  // namespace rt
