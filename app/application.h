// The application's entry points for the program that runs it: the start
// routine (brings the runtime up, shows the start window and runs the event
// loop until it closes) and the start window's description.
#pragma once

#include <cstdint>

#include "runtime/framework/window_description.h"

namespace app {

int32_t StartRoutine();
int32_t StartImaging();
void CleanUp();

// The application's window descriptions (the start window).
const rt::WindowDescription* const* WindowDescriptions(int32_t* count);

}  // namespace app
