#include "libs/imageconv/library_notify.h"

namespace imageconv {

rt::SystemCallbackSlot& SystemCallback() {
    static rt::SystemCallbackSlot slot;
    return slot;
}

intptr_t LibraryNotify(int32_t message, intptr_t param1, intptr_t /*param2*/) {
    if (message == rt::LN_SET_SYSTEM) {
        SystemCallback().Set(reinterpret_cast<rt::NotifyEntry>(param1));
        return 0;
    }
    return -1;
}

}  // namespace imageconv
