#include "libs/desktop/shell/shell_library.h"

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
    switch (message) {
        case rt::LN_SET_SYSTEM:
            g_system.Set(reinterpret_cast<rt::NotifyEntry>(param1));
            return 0;
        case rt::LN_CLEANUP:
            // The commands keep no platform objects between calls (the
            // chooser's windows are gone when it returns), so unloading has
            // nothing to release.
            return 0;
        default:
            return -1;
    }
}

}  // namespace desktop
