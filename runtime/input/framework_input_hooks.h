// What the window framework adds to input pre-translation: its tool tips,
// its own pre-translation and the units' mouse cursors. Each entry may be
// null.
#pragma once

#include "platform/windowing/windows.h"

namespace rt {

struct FrameworkInputHooks {
    // A left button went down on `target` (client or caption area).
    void (*toolTipMouseDown)(platform::HWND target) = nullptr;
    // The framework's own look at the message; true consumes it.
    bool (*preTranslate)(platform::MSG* msg) = nullptr;
    // WM_SETCURSOR: true when a unit set its own cursor.
    bool (*unitCursor)(platform::MSG* msg) = nullptr;
};

void SetFrameworkInputHooks(const FrameworkInputHooks& hooks);
const FrameworkInputHooks& FrameworkInput();

}  // namespace rt
