// How the system reaches this library, and how the library reaches back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/notify.h"

namespace imageconv {

// Answers LN_SET_SYSTEM (param1: the system's SystemNotify entry) by keeping
// the entry, and -1 to every other message.
intptr_t LibraryNotify(int32_t message, intptr_t param1, intptr_t param2);

// The SystemNotify entry handed over by the system (null before that).
rt::SystemCallbackSlot& SystemCallback();

}  // namespace imageconv
