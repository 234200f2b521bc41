// The texts of the runtime's fatal-error report, shared by the report and by
// tests that read it back.
#pragma once

#include <cstdint>
#include <string>

namespace rt {

inline constexpr const char* kFatalErrorTitle = "picbatch";
inline constexpr const char* kFatalErrorHeading =
    "picbatch has met an error it cannot recover from and will close.";

// Heading, then the code and the message when present.
std::string BuildFatalReport(const char* heading, uint32_t code, const char* message);

// Shows a report through the platform message box, then ends the program
// after the runtime's clean-up (exit routines discarded). Runtime reports
// (RtRaiseError, memory exhaustion) take this road too.
[[noreturn]] void EndWithReport(const char* heading, uint32_t code, const char* message,
                                int status);

}  // namespace rt
