// Internal: real windows through SDL2, used only on the thread that opened
// the display.
#pragma once

#include <string>

#include "platform/windowing/window_registry.h"

namespace platform::win::sdl {

// Initialises SDL video; false (and nothing initialised) without a display.
bool Open();
void CreateFor(HWND topLevel, const RECT& rect, const std::string& utf8Title, bool resizable);
void DestroyFor(HWND topLevel);
void Show(HWND topLevel, bool visible);
void Place(HWND topLevel, const RECT& rect);
void Retitle(HWND topLevel, const std::string& utf8Title);
// Turns pending SDL events into window messages.
void PumpEvents();
// Copies the composed window onto its SDL window.
void Present(HWND topLevel);
// Every top-level window with a real window.
std::vector<HWND> Windows();

}  // namespace platform::win::sdl
