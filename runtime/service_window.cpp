// The window-framework services. Their bodies come with the window framework;
// until it is built they end the program with a clear report.
#include "runtime/services.h"
#include "runtime/termination.h"

namespace rt {

void RtShowStartWindow(uint32_t) {
    ServiceNotAvailable("the start window (RtShowStartWindow)");
}

void RtRunEventLoop() {
    ServiceNotAvailable("the event loop (RtRunEventLoop)");
}

uint64_t RtGetProperty(uint32_t, uint32_t, uint32_t, int32_t) {
    ServiceNotAvailable("reading a unit property (RtGetProperty)");
}

void RtSetProperty(uint32_t, uint32_t, uint32_t, int32_t, uint32_t, uint32_t) {
    ServiceNotAvailable("writing a unit property (RtSetProperty)");
}

}  // namespace rt
