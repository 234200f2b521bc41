// Every standard control in each of its states, and a menu bar, placed in
// a window: for looking at the controls (and at skins drawn over them).
#pragma once

#include "platform/windowing/windows.h"

namespace platform {

// Fills `parent`'s client area: a menu bar across the top and a panel of
// controls below it. Registers the controls first. Answers the panel (null
// when the parent is not a window). Best with a client area of about 800
// by 560 pixels.
HWND FillControlGallery(HWND parent);

}  // namespace platform
