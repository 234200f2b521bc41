#include <atomic>
#include <cstring>

#include "libs/desktop/threads/thread_library.h"
#include "platform/kernel/kernel.h"

namespace desktop {
namespace {

bool Present(int32_t argCount, const rt::ArgRecord* args, int32_t index) {
    return argCount > index && !args[index].omitted();
}

std::atomic<int32_t> g_running{0};

// What the thread runs: the application's routine with its parameter,
// counted while it runs.
struct Launch {
    platform::kernel::ThreadRoutine routine;
    uintptr_t parameter;
};

uintptr_t RunCounted(uintptr_t launchAddress) {
    auto* launch = reinterpret_cast<Launch*>(launchAddress);
    Launch copy = *launch;
    delete launch;
    uintptr_t result = copy.routine(copy.parameter);
    g_running.fetch_sub(1);
    return result;
}

}  // namespace

int32_t RunningThreadCount() {
    return g_running.load();
}

void StartThread(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    *result = rt::ArgRecord::Int(0, rt::TYPE_BOOL);
    if (!Present(argCount, args, 0))
        return;
    auto routine = reinterpret_cast<platform::kernel::ThreadRoutine>(args[0].asPointer());
    if (!routine)
        return;  // nothing to run: no thread, no handle
    // The parameter is one 32-bit word, passed on as the routine's whole
    // (pointer-sized) argument without sign extension.
    uintptr_t parameter = Present(argCount, args, 1) ? uintptr_t(args[1].asWord()) : 0;
    auto* launch = new Launch{routine, parameter};
    g_running.fetch_add(1);
    platform::kernel::Handle thread =
        platform::kernel::CreateThread(&RunCounted, reinterpret_cast<uintptr_t>(launch), nullptr);
    if (thread == 0) {
        g_running.fetch_sub(1);
        delete launch;
        return;
    }
    *result = rt::ArgRecord::Int(1, rt::TYPE_BOOL);

    void* variable = Present(argCount, args, 2) ? args[2].asPointer() : nullptr;
    if (variable) {
        // The variable is a 32-bit integer. Kernel handles are small numbers
        // (counted up from 0x1000 in steps of 4), so the handle fits it whole.
        auto word = static_cast<int32_t>(thread);
        std::memcpy(variable, &word, sizeof word);
    } else {
        platform::kernel::CloseHandle(thread);
    }
}

}  // namespace desktop
