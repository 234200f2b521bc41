#include "runtime/termination.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace rt {
namespace {

std::atomic<TerminationHandler> g_handler{nullptr};

}  // namespace

void SetTerminationHandler(TerminationHandler handler) {
    g_handler.store(handler);
}

void ReportAndTerminate(const char* heading, uint32_t code, const char* message, int status) {
    if (auto handler = g_handler.load()) {
        handler(heading, code, message, status);
    }
    if (code != 0) {
        std::fprintf(stderr, "%s (%u): %s\n", heading, code, message);
    } else {
        std::fprintf(stderr, "%s: %s\n", heading, message);
    }
    std::fflush(stderr);
    std::_Exit(status);
}

void ServiceNotAvailable(const char* service) {
    char message[256];
    std::snprintf(message, sizeof message, "%s is not available in this build of picbatch",
                  service);
    ReportAndTerminate("picbatch runtime", 0, message, 2);
}

}  // namespace rt
