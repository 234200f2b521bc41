// The clean-up routines the application registers with HELP_AT_EXIT.
#pragma once

#include "runtime/services.h"

namespace rt {

// Runs every registered routine once, in registration order, and forgets
// them; a routine registered while they run is run too.
void RunExitRoutines();
// Forgets the registered routines without running them (the fatal-error
// path ends the program without the application's clean-up).
void DiscardExitRoutines();
size_t ExitRoutineCount();

}  // namespace rt
