#include "app/task_pool.h"

#include <atomic>
#include <chrono>
#include <cstring>

#include "app/compiled.h"
#include "app/external_routines.h"
#include "runtime/services.h"

namespace app {
namespace {

// Pool-wide globals: one pool per process.
std::atomic<int32_t> PoolRunning{0};
std::atomic<uintptr_t> PoolPort{0};
std::atomic<uintptr_t> PoolTask{0};

std::atomic<rt::CommandEntry> g_tickCountCommand{nullptr};
std::atomic<rt::CommandEntry> g_processEventsCommand{nullptr};

constexpr uint32_t kWaitTimeout = 0x102;
constexpr uint32_t kWaitInput = 1;  // one handle waited on: index 1 means input
constexpr uint32_t kWakeMaskTaskThread = 0x4BF;
constexpr uint32_t kWakeMaskTimer = 0xFF;
constexpr uint32_t kInfinite = 0xFFFFFFFF;

int64_t TickCount() {
    if (rt::CommandEntry entry = g_tickCountCommand.load()) {
        return int64_t(rt::RtCallCoreCommand(entry, 0, nullptr).low);
    }
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void ProcessEvents() {
    if (rt::CommandEntry entry = g_processEventsCommand.load())
        rt::RtCallCoreCommand(entry, 0, nullptr);
}

uintptr_t ElementHandle(rt::ArrayBlock* threads, int64_t i) {
    return ReadElement<uintptr_t>(threads, i);
}

void VisitWorkers(TaskPoolObject** self, ExternalRoutine routine) {
    rt::ArrayBlock* threads = (*self)->threads;
    int64_t n = threads ? int64_t(threads->elementCount()) : 0;
    for (int64_t i = 1; i <= n; ++i)
        CallExternal(routine, ElementHandle(threads, i));
}

uintptr_t RunTask(uintptr_t routine, uintptr_t value) {
    return reinterpret_cast<TaskRoutine>(routine)(value);
}

uintptr_t StartTaskThread(uintptr_t routine, uintptr_t value) {
    uint32_t threadId = 0;
    return CallExternal(EXT_CREATE_TASK_THREAD, 0, 0, routine, value, 0, &threadId);
}

// Waits for the task thread while keeping the calling thread's window
// events flowing. Any answer but "input arrived" ends the wait: a failed
// wait would otherwise be retried forever.
bool WaitWithEvents(uintptr_t handle, int32_t limit) {
    uint32_t waitLimit = limit == 0 ? kInfinite : uint32_t(limit);
    int64_t start = TickCount();
    uint32_t r;
    for (;;) {
        r = uint32_t(
            CallExternal(EXT_WAIT_WITH_INPUT, 1, &handle, 0, waitLimit, kWakeMaskTaskThread));
        if (waitLimit != kInfinite && double(TickCount() - start) - double(limit) >= WAIT_MARGIN) {
            r = kWaitTimeout;
        }
        ProcessEvents();
        if (r != kWaitInput)
            break;
    }
    return r == 0;
}

void ForceEnd(uintptr_t handle) {
    uint32_t code = 0;
    CallExternal(EXT_THREAD_EXIT_CODE, handle, &code);
    CallExternal(EXT_END_THREAD, handle, code);
}

void WorkerLoop(int32_t limit) {
    while (PoolRunning.load() == 1) {
        uint32_t value = 0;
        uintptr_t key = 0;
        uintptr_t overlapped = 0;
        uintptr_t r =
            CallExternal(EXT_TAKE_FROM_QUEUE, PoolPort.load(), &value, &key, &overlapped, 100);
        if (r != 1)
            continue;
        if (limit <= 0) {
            RunTask(PoolTask.load(), value);
        } else {
            uintptr_t h = StartTaskThread(PoolTask.load(), value);
            if (!WaitWithEvents(h, limit))
                ForceEnd(h);
            // The task thread's handle is ours alone; a thread runs on after it closes.
            CallExternal(EXT_CLOSE_HANDLE, h);
        }
    }
}

uintptr_t WorkerThreadEntry(uintptr_t limit) {
    WorkerLoop(int32_t(uint32_t(limit)));
    return 0;
}

bool DelayWithEvents(double amount, int32_t unit) {
    double factor;
    switch (unit) {
        case 0:
            factor = 1;
            break;
        case 1:
            factor = 1000;
            break;
        case 2:
            factor = 60000;
            break;
        case 3:
            factor = 3600000;
            break;
        default:
            factor = unit;
            break;
    }
    int64_t due = Truncate(amount * factor * TIMER_SCALE);
    uintptr_t timer = CallExternal(EXT_CREATE_TIMER, 0, 0, 0);
    CallExternal(EXT_ARM_TIMER, timer, &due, 0, 0, 0, 0);
    for (;;) {
        uint32_t r =
            uint32_t(CallExternal(EXT_WAIT_WITH_INPUT, 1, &timer, 0, kInfinite, kWakeMaskTimer));
        // Only input goes round again: a failed wait must not spin.
        if (r != kWaitInput)
            break;
        ProcessEvents();
    }
    CallExternal(EXT_CLOSE_HANDLE, timer);
    return true;
}

// --- Methods -------------------------------------------------------------------

void VisitWorkersA(TaskPoolObject** self) {
    VisitWorkers(self, EXT_VISIT_WORKER_A);
}
void VisitWorkersB(TaskPoolObject** self) {
    VisitWorkers(self, EXT_VISIT_WORKER_B);
}

int32_t Start(TaskPoolObject** self, int32_t count, uintptr_t routine, rt::ArgRecord limitMs) {
    // Handles of an earlier start are closed before the array forgets them
    // (closing a handle does not stop its thread).
    VisitWorkersB(self);
    Redimension(&(*self)->threads, count, sizeof(uintptr_t), false);
    if (PoolRunning.load() == 1)
        return 0;
    if (count < 1) {
        count = 1;
        Redimension(&(*self)->threads, 1, sizeof(uintptr_t), false);
    }
    PoolPort.store(CallExternal(EXT_CREATE_QUEUE, -1, 0, 0, count));
    PoolRunning.store(1);
    PoolTask.store(routine);
    int32_t limit = limitMs.omitted() ? 0 : limitMs.asInt();
    for (int32_t i = 1; i <= count; ++i) {
        uint32_t threadId = 0;
        uintptr_t handle =
            CallExternal(EXT_CREATE_WORKER, 0, 0, &WorkerThreadEntry, limit, 0, &threadId);
        WriteElement<uintptr_t>((*self)->threads, i, handle);
    }
    return 1;
}

int32_t Post(TaskPoolObject**, int32_t value) {
    if (PoolRunning.load() == 0)
        return 0;
    return CallExternal(EXT_POST_TO_QUEUE, PoolPort.load(), uint32_t(value), 0, 0) == 1 ? 1 : 0;
}

int32_t Stop(TaskPoolObject**, rt::ArgRecord waitMs, rt::ArgRecord, rt::ArgRecord) {
    // Only one caller gets past this point, however many stop at once.
    int32_t running = 1;
    if (!PoolRunning.compare_exchange_strong(running, 0))
        return 0;
    double wait = waitMs.omitted() ? 5000.0 : double(waitMs.asInt());
    if (wait == -1)
        wait = 25000000.0;
    DelayWithEvents(wait, 0);
    return int32_t(CallExternal(EXT_CLOSE_HANDLE, PoolPort.load()));
}

int32_t IsRunning(TaskPoolObject**) {
    return PoolRunning.load();
}

void CleanUp(TaskPoolObject** self) {
    Stop(self, rt::ArgRecord::Int(1), rt::ArgRecord::Omitted(), rt::ArgRecord::Omitted());
    VisitWorkersB(self);
    ReleaseArray(&(*self)->threads, false);
}

TaskPoolObject* Copy(TaskPoolObject** self);

const void* const kMethods[] = {
    reinterpret_cast<const void*>(&CleanUp),       reinterpret_cast<const void*>(&Copy),
    reinterpret_cast<const void*>(&VisitWorkersA), reinterpret_cast<const void*>(&VisitWorkersB),
    reinterpret_cast<const void*>(&Start),         reinterpret_cast<const void*>(&Post),
    reinterpret_cast<const void*>(&Stop),          reinterpret_cast<const void*>(&IsRunning),
};

TaskPoolObject* Copy(TaskPoolObject** self) {
    auto* copy = static_cast<TaskPoolObject*>(rt::RtAlloc(sizeof(TaskPoolObject)));
    copy->methods = kMethods;
    copy->threads = rt::EmptyArray();
    rt::ArrayBlock* source = (*self)->threads;
    if (source && !rt::IsSharedConstant(source)) {
        size_t bytes = source->headerSize() + source->elementCount() * sizeof(uintptr_t);
        copy->threads = static_cast<rt::ArrayBlock*>(rt::RtAlloc(bytes));
        std::memcpy(copy->threads, source, bytes);
    }
    return copy;
}

}  // namespace

TaskPoolObject* NewTaskPool() {
    auto* pool = static_cast<TaskPoolObject*>(rt::RtAlloc(sizeof(TaskPoolObject)));
    pool->methods = kMethods;
    pool->threads = rt::EmptyArray();
    return pool;
}

void SetPoolCoreCommands(rt::CommandEntry tickCount, rt::CommandEntry processEvents) {
    g_tickCountCommand.store(tickCount);
    g_processEventsCommand.store(processEvents);
}

}  // namespace app
