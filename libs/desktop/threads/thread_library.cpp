#include "libs/desktop/threads/thread_library.h"

namespace desktop {
namespace {

// The library asks the system for nothing yet, but keeps the entry as every
// library does, so a command that needs the system later has it.
rt::SystemCallbackSlot g_system;

const rt::LibraryInfo kThreadLibrary = {"threads", 0, nullptr, &ThreadLibraryNotify};

}  // namespace

const rt::LibraryInfo& ThreadLibraryInfo() {
    return kThreadLibrary;
}

intptr_t ThreadLibraryNotify(int32_t message, intptr_t param1, intptr_t /*param2*/) {
    switch (message) {
        case rt::LN_SET_SYSTEM:
            g_system.Set(reinterpret_cast<rt::NotifyEntry>(param1));
            return 0;
        case rt::LN_CLEANUP:
            // No command keeps platform objects of its own (handles that are
            // not handed to the application are closed at once), so there is
            // nothing to release at unload.
            return 0;
        default:
            return -1;
    }
}

}  // namespace desktop
