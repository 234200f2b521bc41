// The application's icon, drawn by the program itself at the two sizes the
// desktop asks for: a picture frame with a landscape in it.
#pragma once

#include "runtime/runtime_objects.h"

namespace rt {

// Creates the icon at 32 and at 16 pixels; answers false when either fails
// (neither is then kept).
bool LoadApplicationIcons(NativeHandle* large, NativeHandle* small);

}  // namespace rt
