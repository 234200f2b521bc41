// Opening a folder, document or program for the user: through the
// desktop's opener (xdg-open) when there is a display, otherwise by saying
// on standard error what would have been opened. Texts are runtime texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/windowing/windows.h"

namespace platform::shell {

// The operations by number (1 to 5); null for any other number, which
// means the default operation (open).
const char* OperationText(int number);
// Show modes by number (1 to 6): normal, minimised, maximised, shown
// without activation, shown, hidden; 1 (SW_SHOWNORMAL) for anything else.
int ShowModeFor(int number);
// The working directory used when none is given.
inline constexpr const char* kDefaultWorkingDirectory = ".";

// Answers above 32 on success, as the shells of old did; below on failure.
inline constexpr intptr_t kShellOk = 33;
inline constexpr intptr_t kShellFileNotFound = 2;
inline constexpr intptr_t kShellNoAssociation = 31;
inline constexpr intptr_t kShellOutOfResources = 8;

// What is to be run, in UTF-8: the program and its arguments.
struct Launch {
    std::vector<std::string> argv;
    std::string workingDirectory;
};

// `operation` may be null or empty (open), "open", "edit", "explore",
// "print" or "find"; `parameters` are passed to a program and split at
// spaces (double quotes group). A program (an executable file) is run
// directly; anything else goes to the desktop's opener, folders for
// "explore" and "find", the containing folder of a file for those two.
intptr_t ShellExecute(HWND owner, const char* operation, const char* file, const char* parameters,
                      const char* directory, int showMode);

// Replaces the way launches happen (null restores it), for tests and for
// programs with their own opener. The hook answers whether it started.
using Launcher = std::function<bool(const Launch&)>;
void SetLauncher(Launcher launcher);

}  // namespace platform::shell
