// TaskPool: runs a task routine of the application on a fixed set of worker
// threads that take 32-bit task values from a platform completion queue.
// One pool runs per process: every TaskPool object shares the pool's
// globals. Written like compiled code: an object is a block with its method
// table, and every platform call is an external routine by number.
#pragma once

#include <cstdint>

#include "runtime/arg_record.h"
#include "runtime/values.h"

namespace app {

// The task routine has the platform's thread-routine shape, so the pool can
// also hand it straight to a thread of its own.
using TaskRoutine = uintptr_t (*)(uintptr_t value);

struct TaskPoolObject {
    const void* const* methods;
    rt::ArrayBlock* threads;  // worker thread handles, pointer-sized elements
};

enum TaskPoolSlot : uint32_t {
    POOL_CLEAN_UP = 0,
    POOL_COPY = 1,
    POOL_VISIT_WORKERS_A = 2,
    POOL_VISIT_WORKERS_B = 3,
    POOL_START = 4,
    POOL_POST = 5,
    POOL_STOP = 6,
    POOL_IS_RUNNING = 7,
};

// Method signatures, in slot order. The first argument is the address of the
// object variable; optional arguments are argument records (omitted or not);
// logical results are 1 or 0.
using PoolCleanUp = void (*)(TaskPoolObject** self);
using PoolCopy = TaskPoolObject* (*)(TaskPoolObject** self);
using PoolVisitWorkers = void (*)(TaskPoolObject** self);
using PoolStart = int32_t (*)(TaskPoolObject** self, int32_t count, uintptr_t routine,
                              rt::ArgRecord limitMs);
using PoolPost = int32_t (*)(TaskPoolObject** self, int32_t value);
using PoolStop = int32_t (*)(TaskPoolObject** self, rt::ArgRecord waitMs, rt::ArgRecord unused1,
                             rt::ArgRecord unused2);
using PoolIsRunning = int32_t (*)(TaskPoolObject** self);

// A new object: the method table and an empty thread array. The owner
// calls the clean-up method and then frees the block with RtFree.
TaskPoolObject* NewTaskPool();

// Calls method `slot` of the object held in `*self`.
template <typename Method, typename... Args>
auto CallMethod(TaskPoolObject** self, TaskPoolSlot slot, Args... args) {
    // The slots hold code addresses; a data pointer to const cannot become a
    // function pointer without dropping the const first.
    return reinterpret_cast<Method>(const_cast<void*>((*self)->methods[slot]))(self, args...);
}

// The core commands the pool's waits use: the tick count and processing
// the calling thread's pending window events. Start-up installs the core
// library's entries; without them the pool reads the platform clock and
// leaves window events to the event loop.
void SetPoolCoreCommands(rt::CommandEntry tickCount, rt::CommandEntry processEvents);

// The milliseconds the time-limit check lets a task thread run past its
// limit before giving up on it, and the factor from milliseconds to the
// timer's relative due time (100-nanosecond units, negative = relative).
inline constexpr double WAIT_MARGIN = 20.0;
inline constexpr double TIMER_SCALE = -10000.0;

}  // namespace app
