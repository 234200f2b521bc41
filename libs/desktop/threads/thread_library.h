// Support library 3: threads for the application.
//
// StartThread (a CommandEntry):
//
//   #  TYPE                          MEANING
//   1  TYPE_SUBPTR                   routine to run, shape uintptr_t (*)(uintptr_t);
//                                    its address fills the 8 value bytes
//   2  TYPE_INT, may be omitted      the routine's one 32-bit parameter (0 when omitted)
//   3  reference to a TYPE_INT       receives the thread's handle; when omitted the
//      variable, may be omitted      handle is closed at once and the thread runs on
//
//   Result: TYPE_BOOL, 1 when the thread was started. A thread that cannot be
//   started (no routine, no resources) gives 0 and stores no handle.
//
// The library defines no data types. Its LibraryNotify keeps the system's
// entry (message 1), answers 0 to the unload message 6, and -1 otherwise.
#pragma once

#include <cstdint>

#include "runtime/arg_record.h"
#include "runtime/library_info.h"

namespace desktop {

inline constexpr uint32_t kThreadLibraryNumber = 3;

const rt::LibraryInfo& ThreadLibraryInfo();
intptr_t ThreadLibraryNotify(int32_t message, intptr_t param1, intptr_t param2);

void StartThread(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args);

// How many threads started by StartThread are still running their routine
// (the terminal face waits for a single-file conversion this way).
int32_t RunningThreadCount();

}  // namespace desktop
