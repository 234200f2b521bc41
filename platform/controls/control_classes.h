// Internal: the window procedures behind each standard control class.
#pragma once

#include "platform/windowing/windows.h"

namespace platform::controls {

WNDPROC ButtonWindowProc();
WNDPROC StaticWindowProc();
WNDPROC EditWindowProc();
WNDPROC ListBoxWindowProc();
WNDPROC ComboBoxWindowProc();
WNDPROC ProgressWindowProc();
WNDPROC UpDownWindowProc();

}  // namespace platform::controls
