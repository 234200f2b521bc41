// Internal: where top-level windows are shown. With a display every
// top-level window of the display thread is a real SDL2 window whose
// surface shows the composed window; without one nothing is shown and the
// window layer works the same in memory.
#pragma once

#include "platform/windowing/window_registry.h"

namespace platform::win {

// Called on the window's thread after the change.
void PresenterWindowCreated(HWND topLevel);
void PresenterWindowDestroyed(HWND topLevel);
void PresenterVisibilityChanged(HWND topLevel);
void PresenterGeometryChanged(HWND topLevel);
void PresenterTitleChanged(HWND hwnd);
// Turns display events into messages and shows windows whose pixels
// changed; called by the thread's message source at every peek or get.
void PresenterPump();
// Milliseconds until the display wants polling again (-1: never).
int PresenterWakeMs();

// Composes a window and its visible descendants into a new bitmap.
HBITMAP ComposeWindow(HWND hwnd);
// Whether a top-level window's pixels changed since it was last shown;
// clears the mark.
bool TakeDirty(HWND topLevel);

// Input as the display or an injector delivers it, at client coordinates of
// a top-level window.
enum class PointerEvent { Move, Down, Up, Wheel };
void RoutePointer(HWND topLevel, int x, int y, PointerEvent event, MouseButton button,
                  int wheelDelta, int clicks);
void RouteKey(uint8_t virtualKey, bool down, bool repeat);
void RoutePointerLeave(HWND topLevel);
void RouteCharacterBytes(std::string_view runtimeBytes);

}  // namespace platform::win
