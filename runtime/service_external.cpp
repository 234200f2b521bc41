#include "runtime/services.h"
#include "runtime/termination.h"

namespace rt {

uintptr_t RtCallExternal(uint32_t, uint32_t, const uintptr_t*) {
    ServiceNotAvailable("calling an external routine (RtCallExternal)");
}

}  // namespace rt
