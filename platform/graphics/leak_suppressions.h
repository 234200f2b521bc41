// Libraries below the platform that lose a few bytes once per process, so
// leak checking would otherwise fail every program that uses them:
// fontconfig while parsing its configuration files, and libdbus when SDL,
// opening an X display, tries a session bus that is not there.
//
// A program has one list (__lsan_default_suppressions, weak so a program
// with its own keeps it). Text drawing and the display each define it, since
// a program may use either without the other; both give this list, so
// whichever the linker keeps is complete.
#pragma once

namespace platform {

inline constexpr const char* kPlatformLeakSuppressions =
    "leak:libfontconfig.so\n"
    "leak:libdbus-1.so\n";

}  // namespace platform
