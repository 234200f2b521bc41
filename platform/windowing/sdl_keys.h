// Internal: SDL's key codes and mouse buttons as the window layer names
// them (a US keyboard layout).
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/windowing/windows.h"

namespace platform::win::sdl {

// The virtual key of an SDL key code; 0 for keys the window layer lacks.
uint8_t VirtualKey(SDL_Keycode key);
MouseButton ButtonOf(uint8_t sdlButton);

}  // namespace platform::win::sdl
