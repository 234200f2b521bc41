// PreTranslateInput: every queued message of a unit window passes through
// here before the platform dispatches it (the event loop calls it through
// InputHooks). It gives event handlers first sight of mouse, keyboard and
// wheel input, carries out the window's keyboard conventions and applies
// its accelerators. Steps, in order; the first that consumes the message
// ends the routine:
//    1  a key message aimed at a disabled window is left alone
//    2  a left press is shown to the framework's tool tips
//    3  an open menu takes keys; then the framework's own pre-translation
//    4  the window's accelerator table
//    5  input-disabled windows, and targets outside the window, skip to 13
//    6  a target that is another unit window's own window is left alone
//       (unless the window takes foreign units)
//    7  the units' pre-filters (type operation 11)
//    8  the focused embedded control's accelerators
//    9  drag anywhere
//   10  WM_SETCURSOR to the units' cursors; characters to the focused
//       embedded control's mnemonics
//   11  the keyboard conventions (keyboard_conventions.h)
//   12  the unit input events (unit_events.h)
//   13  consumed when the window is gone (a handler destroyed it); else a
//       system character or F10 left over opens the window's menu bar
//
// The window is found from the message's target: the nearest window up
// the parent chain (then up the owner chain) whose object is a window's own
// unit (FormWindowObject). A window inside another is asked first, then the
// one around it.
#pragma once

#include "platform/windowing/windows.h"
#include "runtime/application_object.h"

namespace rt {

class InputTranslator {
public:
    explicit InputTranslator(ApplicationObject& app) : app_(app) {}

    // True when the message was consumed and must not be dispatched.
    bool PreTranslate(platform::MSG* msg);

private:
    ApplicationObject& app_;
};

// The InputHooks entry: `message` is a platform::MSG.
bool PreTranslateInput(void* message);

// Installs PreTranslateInput into InputHooks. Call once at start-up.
void InstallInputHooks();

}  // namespace rt
