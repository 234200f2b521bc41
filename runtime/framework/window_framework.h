// The window framework: window descriptions loaded into native windows, the
// event loop, and unit properties read and written from any thread.
//
// Threads. The thread that shows the start window is the user-interface
// thread: it owns every window of the descriptions, runs the event loop
// and every event handler. A property read or write from another thread (a
// worker moving the progress bar) is carried out on the user-interface
// thread: the caller waits until it ran there, and the interface thread
// runs it whenever it takes or waits for messages (also inside modal
// dialogs and the worker pool's waits).
#pragma once

#include <cstdint>

#include "runtime/runtime_objects.h"

namespace rt {

// Fills the runtime's native-window and window-service hooks. Called once
// at start-up, before the start window is shown.
void InstallWindowFramework();

// The native window of the window the event loop runs for (0 before the
// start window is shown, and after it closed).
NativeHandle StartWindowHandle();
// The user-interface thread's id (0 before the start window is shown).
uint32_t InterfaceThreadId();

// Called on the interface thread after every property write through
// RtSetProperty, with the value as written; null removes it. The terminal
// face follows the progress bar this way.
using PropertyWriteObserver = void (*)(uint32_t windowId, uint32_t unitId, uint32_t property,
                                       int32_t index, uint32_t valueLow, uint32_t valueHigh);
void SetPropertyWriteObserver(PropertyWriteObserver observer);

// Called on the interface thread once the start window is loaded, its load
// handler has run and it is shown; null removes it. The terminal face
// starts its work from here.
using StartWindowShownObserver = void (*)(NativeHandle window);
void SetStartWindowShownObserver(StartWindowShownObserver observer);

}  // namespace rt
