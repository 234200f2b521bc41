// The core library's two messages for enciphered files, answered on behalf
// of support libraries that want one (create, then destroy).
#pragma once

#include <cstdint>

namespace corelib {

// Creates an EncipheredFile keyed by the runtime text at `keyText` (null or
// empty: a plain file) that leaves the bytes below `position` plain; a
// negative position counts as 0. Answers the object's address, 0 when it
// could not be created.
intptr_t CreateEncipheredFileMessage(intptr_t keyText, intptr_t position);

// Destroys an object made by CreateEncipheredFileMessage (through its
// virtual destructor, closing its file). Answers 0; null is ignored.
intptr_t DestroyEncipheredFileMessage(intptr_t object);

}  // namespace corelib
