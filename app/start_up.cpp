// The application's start routine and its clean-up.
#include <cfenv>

#include "app/application.h"
#include "app/calls.h"
#include "app/compiled.h"
#include "app/constants.h"
#include "app/external_routines.h"
#include "app/globals.h"
#include "app/handlers.h"
#include "corelib/commands/core_commands.h"

namespace app {
namespace {

// How long clean-up waits for conversions still running when the window
// closes during a batch, in steps of CLEANUP_STEP_MS.
constexpr int32_t CLEANUP_STEPS = 600;
constexpr int32_t CLEANUP_STEP_MS = 50;

// Waits (at most WORKER_END_WAIT_MS each) until every worker thread of the
// pool has ended, so none outlives the program's own tear-down.
constexpr int32_t WORKER_END_WAIT_MS = 5000;
constexpr uint32_t WAIT_SIGNALLED = 0;
constexpr uint32_t WAKE_ON_ANY_INPUT = 0x4BF;

void WaitForWorkers() {
    rt::ArrayBlock* threads = WorkerPool->threads;
    int64_t n = threads ? int64_t(threads->elementCount()) : 0;
    for (int64_t i = 1; i <= n; ++i) {
        uintptr_t handle = ReadElement<uintptr_t>(threads, i);
        if (handle == 0)
            continue;
        int32_t start = IntOf(CallCore(&corelib::TickCount, {}));
        while (IntOf(CallCore(&corelib::TickCount, {})) - start < WORKER_END_WAIT_MS) {
            uint32_t r = uint32_t(CallExternal(EXT_WAIT_WITH_INPUT, 1, &handle, 0, CLEANUP_STEP_MS,
                                               WAKE_ON_ANY_INPUT));
            if (r == WAIT_SIGNALLED)
                break;
            CallCore(&corelib::ProcessEvents, {});
        }
    }
}

int32_t NothingToDo() {
    return 0;
}

void StartSubroutine() {
    NothingToDo();
}

}  // namespace

int32_t StartImaging() {
    auto* input = static_cast<uint32_t*>(rt::RtAlloc(16));
    input[0] = 1;
    input[1] = 0;
    input[2] = 0;
    input[3] = 0;
    CallExternal(EXT_IMAGING_STARTUP, &ImagingToken, input, nullptr);
    NothingToDo();
    rt::RtFree(input);
    return 0;
}

void CleanUp() {
    // The pool stops first and running conversions are let finish: they
    // still read the batch's globals, which are released after them.
    if (WorkerPool) {
        CallMethod<PoolStop>(&WorkerPool, POOL_STOP, IntArgument(1), Omitted(), Omitted());
        for (int32_t i = 0; i < CLEANUP_STEPS && ActiveConversions.load() > 0; ++i) {
            CallCore(&corelib::ProcessEvents, {});
            CallCore(&corelib::Pause, {IntArgument(CLEANUP_STEP_MS)});
        }
        WaitForWorkers();
        CallMethod<PoolCleanUp>(&WorkerPool, POOL_CLEAN_UP);
    }
    if (SourceDir) {
        rt::RtFree(SourceDir);
        SourceDir = nullptr;
    }
    ReleaseArray(&FileList, true);
    ReleaseArray(&OutputBases, true);
    ReleaseArray(&FailedList, true);
    if (AcceptedExtensions) {
        rt::RtFree(AcceptedExtensions);
        AcceptedExtensions = nullptr;
    }
    if (WorkerPool) {
        rt::RtFree(WorkerPool);
        WorkerPool = nullptr;
    }
}

int32_t StartRoutine() {
    rt::RtAssist(rt::HELP_INIT, 0, 0, 0, 0);
    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);
    FileList = static_cast<rt::ArrayBlock*>(rt::RtAlloc(8));
    FileList->dimensionCount = 1;
    FileList->dimensions()[0] = 0;
    OutputBases = rt::EmptyArray();
    FailedList = rt::EmptyArray();
    WorkerPool = NewTaskPool();
    SetPoolCoreCommands(&corelib::TickCount, &corelib::ProcessEvents);
    rt::RtAssist(rt::HELP_AT_EXIT, reinterpret_cast<uintptr_t>(&CleanUp), 0, 0, 0);
    StartSubroutine();
    StartImaging();
    rt::RtShowStartWindow(START_WINDOW);
    rt::RtRunEventLoop();
    return 0;
}

}  // namespace app
