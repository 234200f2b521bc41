#include "corelib/textservices/enciphered_file_messages.h"

#include <new>

#include "corelib/textservices/enciphered_file.h"

namespace corelib {

intptr_t CreateEncipheredFileMessage(intptr_t keyText, intptr_t position) {
    const auto* password = reinterpret_cast<const char*>(keyText);
    auto* file = new (std::nothrow) EncipheredFile(password, position < 0 ? 0 : position);
    return reinterpret_cast<intptr_t>(file);
}

intptr_t DestroyEncipheredFileMessage(intptr_t object) {
    // The destructor is virtual, so a class derived later still cleans up.
    delete reinterpret_cast<EncipheredFile*>(object);
    return 0;
}

}  // namespace corelib
