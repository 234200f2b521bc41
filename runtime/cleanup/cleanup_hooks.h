// Start-up's part of the end of the program. InstallCleanupHooks runs once,
// on the thread that will run the event loop, before any worker thread
// starts:
//   - it records that thread as the user-interface thread, the only one
//     that tears the runtime down;
//   - it creates the runtime's hidden main window (main_hidden_window.h),
//     to which other threads post their request to end the program;
//   - it marks platform facility 1 (the runtime's window classes) for
//     unregistering at the very end;
//   - it installs CleanupHooks::handOffToInterfaceThread.
//
// A thread other than the user-interface thread that asks for the end
// (SN_EXIT, a fatal error) posts kEndProgramRequest with its exit code and
// waits for that thread to finish the clean-up; the process then ends with
// that code. When the user-interface thread does not begin the clean-up
// within kInterfaceThreadGrace (it is stuck in a long handler, or there is
// no hidden window to ask), the asking thread ends the process itself.
#pragma once

#include <chrono>
#include <cstdint>

namespace rt {

inline constexpr std::chrono::milliseconds kInterfaceThreadGrace{10000};

// Answers false when the hidden main window cannot be created (the rest is
// installed all the same: the end then runs on the asking thread's terms).
bool InstallCleanupHooks();

// The hand-off itself, for CleanupHooks: answers false on the user-interface
// thread or when none is recorded (clean up here); otherwise passes the
// request on and answers true once the user-interface thread has finished.
bool HandOffToInterfaceThread(int32_t exitCode);

}  // namespace rt
