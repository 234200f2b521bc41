// What the display shows, for tests that drive the display path: they push
// SDL events for a window's display window and compare the pixels shown
// with the window's own. All answer nothing (0, false) without a display.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/windowing/windows.h"

namespace platform::win {

// The SDL window id of a top-level window's display window.
uint32_t DisplayWindowId(HWND topLevel);
// Its SDL window flags (SDL_WINDOW_SHOWN, SDL_WINDOW_ALWAYS_ON_TOP, ...).
uint32_t DisplayWindowFlags(HWND topLevel);
// Shows the window if its pixels changed, then copies what its display
// window shows, as 0xAARRGGBB pixels row by row.
bool ReadDisplayedPixels(HWND topLevel, std::vector<uint32_t>* pixels, int* width, int* height);

}  // namespace platform::win
