// Internal: where top-level windows are shown. With a display every
// top-level window, whatever thread made it, is a real SDL2 window owned by
// the display thread, which shows the composed window and hands input back
// to the window's own thread; without one nothing is shown and the window
// layer works the same in memory.
#pragma once

#include "platform/windowing/window_registry.h"

namespace platform::win {

// Called on the window's thread after the change. Creation waits until the
// display window exists; the others only queue the change for the display.
void PresenterWindowCreated(HWND topLevel);
void PresenterWindowDestroyed(HWND topLevel);
void PresenterVisibilityChanged(HWND topLevel);
void PresenterGeometryChanged(HWND topLevel);
void PresenterTitleChanged(HWND hwnd);
void PresenterTopmostChanged(HWND topLevel);
// The window became its thread's active window: it comes to the front
// (unless the display itself made it active).
void PresenterActivated(HWND topLevel);
// Brings a window to the front of the display.
void PresenterRaise(HWND topLevel);
// Some window's pixels changed (any thread).
void PresenterContentChanged();
// Brings the display's pending events for the calling thread's windows
// into its queue; called by the thread's message source at every peek or
// get.
void PresenterPump();

// Composes a window and its visible descendants into a new bitmap.
HBITMAP ComposeWindow(HWND hwnd);
// Whether a top-level window's pixels changed since it was last shown;
// clears the mark.
bool TakeDirty(HWND topLevel);

// Input as the display or an injector delivers it, at client coordinates of
// a top-level window. Called on the window's own thread.
enum class PointerEvent { Move, Down, Up, Wheel };
void RoutePointer(HWND topLevel, int x, int y, PointerEvent event, MouseButton button,
                  int wheelDelta, int clicks);
void RouteKey(uint8_t virtualKey, bool down, bool repeat);
void RoutePointerLeave(HWND topLevel);
void RouteCharacterBytes(std::string_view runtimeBytes);

}  // namespace platform::win
