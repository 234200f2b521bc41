#include "runtime/services.h"

namespace rt {

const RuntimeServices& Services() {
    static const RuntimeServices table = {
        &RtAssist,
        &RtShowStartWindow,
        &RtRunEventLoop,
        &RtAlloc,
        &RtFree,
        &RtRealloc,
        &RtRaiseError,
        &RtCallExternal,
        &RtCallCoreCommand,
        &RtCallLibraryCommand,
        &RtGetProperty,
        &RtSetProperty,
    };
    return table;
}

}  // namespace rt
