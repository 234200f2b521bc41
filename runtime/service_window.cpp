// The window-framework services. Their bodies come with the window
// framework, which fills WindowServiceHooks at start-up; a program built
// without it ends with a clear report instead of doing nothing.
#include "runtime/services.h"
#include "runtime/system_hooks.h"
#include "runtime/termination.h"

namespace rt {

void RtShowStartWindow(uint32_t windowId) {
    auto show = WindowServices().showStartWindow;
    if (!show)
        ServiceNotAvailable("the start window (RtShowStartWindow)");
    show(windowId);
}

void RtRunEventLoop() {
    auto run = WindowServices().runEventLoop;
    if (!run)
        ServiceNotAvailable("the event loop (RtRunEventLoop)");
    run();
}

uint64_t RtGetProperty(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t index) {
    auto get = WindowServices().getProperty;
    if (!get)
        ServiceNotAvailable("reading a unit property (RtGetProperty)");
    return get(windowId, unitId, property, index);
}

void RtSetProperty(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t index,
                   uint32_t valueLow, uint32_t valueHigh) {
    auto set = WindowServices().setProperty;
    if (!set)
        ServiceNotAvailable("writing a unit property (RtSetProperty)");
    set(windowId, unitId, property, index, valueLow, valueHigh);
}

}  // namespace rt
