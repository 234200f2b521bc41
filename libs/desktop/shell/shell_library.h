// Support library 4: the folder chooser and the shell.
//
// BrowseForFolder (a CommandEntry):
//
//   #  TYPE                       MEANING
//   1  TYPE_TEXT                  the instruction shown above the folders
//   2  TYPE_BOOL, may be omitted  true: files are listed (and may be chosen) too
//
//   Result: TYPE_TEXT, the chosen absolute path in a fresh block from
//   SN_ALLOC, or null when the user cancelled or nothing usable was chosen.
//   While the chooser is open every top-level window of the program is
//   disabled; afterwards each gets back exactly the state it had (see
//   modal_guard.h). Without a display and without a queued answer the
//   chooser is cancelled at once, so the command never blocks headless.
//
// ShellOpen (a CommandEntry; its result slot is left untouched):
//
//   #  TYPE                       MEANING
//   1  TYPE_INT                   operation (kShellOperations); others: the default
//   2  TYPE_TEXT                  the document, program or folder
//   3  TYPE_TEXT, may be omitted  parameters for a program
//   4  TYPE_TEXT, may be omitted  working directory (kDefaultWorkingDirectory)
//   5  TYPE_INT, may be omitted   show mode 1..6 (kShowModes); others: normal
//
//   Failures are not reported: the shell says itself what went wrong.
//
// The library defines no data types. Its LibraryNotify keeps the system's
// entry (message 1), answers 0 to the unload message 6, and -1 otherwise.
#pragma once

#include <cstdint>

#include "runtime/arg_record.h"
#include "runtime/library_info.h"
#include "runtime/notify.h"

namespace desktop {

inline constexpr uint32_t kShellLibraryNumber = 4;

const rt::LibraryInfo& ShellLibraryInfo();
intptr_t ShellLibraryNotify(int32_t message, intptr_t param1, intptr_t param2);

void BrowseForFolder(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args);
void ShellOpen(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args);

// ShellOpen's tables. Operation n (1 to 5) is kShellOperations[n - 1]; any
// other number means the shell's default operation (open). Show mode n
// (1 to 6) is kShowModes[n - 1]; any other value, or none, shows normally.
inline constexpr const char* kShellOperations[5] = {"open", "explore", "edit", "print", "find"};
inline constexpr int kShowModes[6] = {
    1,  // normal
    2,  // minimised
    3,  // maximised
    4,  // shown without activation
    5,  // shown as it is
    0,  // hidden
};
inline constexpr int kShowNormal = 1;
// The working directory when none is given: the program's current one.
inline constexpr const char* kDefaultWorkingDirectory = ".";

const char* ShellOperationText(int32_t number);
int ShellShowMode(int32_t number);

// The system entry LN_SET_SYSTEM handed over (calls answer 0 before that).
const rt::SystemCallbackSlot& ShellSystem();

}  // namespace desktop
