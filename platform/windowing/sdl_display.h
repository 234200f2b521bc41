// Internal: real windows through SDL2. Everything here runs on the display
// thread only (see display_thread.h), which keeps the table of SDL windows,
// except EventsWaiting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windowing/window_registry.h"

namespace platform::win::sdl {

// How a top-level window looks on the display, fixed at creation.
struct WindowSpec {
    RECT rect;
    std::string utf8Title;
    bool resizable = false;   // WS_THICKFRAME
    bool borderless = false;  // a pop-up without a caption (lists, menus)
    bool topmost = false;     // WS_EX_TOPMOST
    bool toolWindow = false;  // WS_EX_TOOLWINDOW: kept off the task bar
    HWND owner = nullptr;     // kept above its owner by the window manager
};

// Initialises SDL video; false (and nothing initialised) without a display.
bool Open();
void CreateFor(HWND topLevel, const WindowSpec& spec);
void DestroyFor(HWND topLevel);
void Show(HWND topLevel, bool visible);
void Place(HWND topLevel, const RECT& rect);
void Retitle(HWND topLevel, const std::string& utf8Title);
void SetTopmost(HWND topLevel, bool topmost);
void Raise(HWND topLevel);
// Copies the composed window onto its SDL window.
void Present(HWND topLevel);
// Every top-level window with a real window.
std::vector<HWND> Windows();
bool AnyWindowShown();
// The window an SDL window id stands for (null when none).
HWND WindowFor(uint32_t sdlId);
uint32_t IdFor(HWND topLevel);
uint32_t FlagsFor(HWND topLevel);
// What the display window shows now, as 0xAARRGGBB pixels.
bool ReadShownPixels(HWND topLevel, std::vector<uint32_t>* pixels, int* width, int* height);

// Turns pending SDL events into work for the windows' threads.
void PumpEvents();
// Whether SDL holds events not yet handed on (input pushed or already read
// from the display). The one call here other threads may make, through
// display::EventsWaiting, which keeps SDL alive meanwhile.
bool EventsWaiting();

}  // namespace platform::win::sdl
