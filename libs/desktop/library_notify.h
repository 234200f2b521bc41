// The LibraryNotify answer the desktop libraries (3 to 6) share: the
// system's entry handed over with LN_SET_SYSTEM (1) is kept and answered 0;
// the unload message LN_CLEANUP (6) runs the library's own unload and is
// answered 0, or answered -1 by a library that does not take it; every
// other message is answered -1.
#pragma once

#include <cstdint>

#include "runtime/notify.h"

namespace desktop {

// What a library does when it is unloaded.
using UnloadRoutine = void (*)();

// For libraries that keep no platform objects between calls.
inline void ReleaseNothing() {}

// `unload` is null for a library that does not take the unload message.
inline intptr_t AnswerLibraryMessage(rt::SystemCallbackSlot& system, int32_t message,
                                     intptr_t param1, UnloadRoutine unload) {
    switch (message) {
        case rt::LN_SET_SYSTEM:
            system.Set(reinterpret_cast<rt::NotifyEntry>(param1));
            return 0;
        case rt::LN_CLEANUP:
            if (!unload)
                return -1;
            unload();
            return 0;
        default:
            return -1;
    }
}

}  // namespace desktop
