#include "libs/desktop/shell/shell_library.h"

#include "libs/desktop/library_notify.h"

namespace desktop {
namespace {

rt::SystemCallbackSlot g_system;

const rt::LibraryInfo kShellLibrary = {"shell", 0, nullptr, &ShellLibraryNotify};

}  // namespace

const rt::LibraryInfo& ShellLibraryInfo() {
    return kShellLibrary;
}

const rt::SystemCallbackSlot& ShellSystem() {
    return g_system;
}

intptr_t ShellLibraryNotify(int32_t message, intptr_t param1, intptr_t /*param2*/) {
    // The commands keep no platform objects between calls (the chooser's
    // windows are gone when it returns), so unloading has nothing to
    // release.
    return AnswerLibraryMessage(g_system, message, param1, &ReleaseNothing);
}

}  // namespace desktop
