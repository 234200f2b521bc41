#include "libs/desktop/threads/thread_library.h"

#include "libs/desktop/library_notify.h"

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
    // No command keeps platform objects of its own (handles that are not
    // handed to the application are closed at once), so there is nothing to
    // release at unload.
    return AnswerLibraryMessage(g_system, message, param1, &ReleaseNothing);
}

}  // namespace desktop
