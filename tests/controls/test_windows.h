// What every test of controls (and of the units and skin drawn on them)
// needs from the windowing: running the queued messages, and a window class
// of its own for the parent windows it makes.
#pragma once

#include <cstdint>

#include "platform/windowing/windows.h"

namespace ctltest {

// Runs every queued message of the calling thread; a WM_QUIT stops it.
inline void Pump() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
        if (msg.message == platform::WM_QUIT)
            break;
        platform::TranslateMessage(&msg);
        platform::DispatchMessage(&msg);
    }
}

// Registers a window class painted in the button face colour, the colour
// dialogs give their controls. False when it cannot be registered (a name
// already taken): call it once per class.
inline bool RegisterFaceClass(const char* name, platform::WNDPROC procedure) {
    platform::WNDCLASS windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = name;
    windowClass.hbrBackground =
        reinterpret_cast<platform::HBRUSH>(uintptr_t(platform::COLOR_BTNFACE + 1));
    return platform::RegisterClass(&windowClass) != 0;
}

}  // namespace ctltest
