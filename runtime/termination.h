// How the runtime ends the program when it cannot go on.
#pragma once

#include <cstdint>

namespace rt {

// Reports `message` under `heading` (with `code` when non-zero) and ends the
// process with `status`. This is the single place every runtime report goes
// through, so the fatal-error path can take it over.
[[noreturn]] void ReportAndTerminate(const char* heading, uint32_t code, const char* message,
                                     int status);

using TerminationHandler = void (*)(const char* heading, uint32_t code, const char* message,
                                    int status);
// Lets the system core route reports through its fatal-error path (message
// box, clean-up). The handler must not return.
void SetTerminationHandler(TerminationHandler handler);

// Ends the program with a clear report that a runtime service has no body
// in this build.
[[noreturn]] void ServiceNotAvailable(const char* service);

}  // namespace rt
