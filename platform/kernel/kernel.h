// The kernel platform's C++ interface: threads, completion queues, events,
// waitable timers, waiting with input, movable memory blocks and a stream
// over one, and process memory trimming. The word-shaped routines that the
// application binds (exports.cpp) are thin wrappers over these, named after
// the calls they stand for on the platform the application was written for.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/stream_interface.h"

namespace platform::kernel {

// Wait answers.
inline constexpr uint32_t kWaitObject0 = 0;
inline constexpr uint32_t kWaitTimeout = 0x102;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFF;
inline constexpr uint32_t kInfinite = 0xFFFFFFFF;
// Exit code of a thread that is still running.
inline constexpr uint32_t kStillActive = 259;

// --- Threads -----------------------------------------------------------------
// The start routine has the word shape of every bindable routine.
using ThreadRoutine = uintptr_t (*)(uintptr_t parameter);
// Starts a thread; the handle is signalled when it ends. *threadId (when not
// null) gets the thread's message-queue id. Answers 0 when no thread could
// be started.
Handle CreateThread(ThreadRoutine routine, uintptr_t parameter, uint32_t* threadId);
// kStillActive while running; false for a handle that is not a thread.
bool GetExitCodeThread(Handle thread, uint32_t* exitCode);
// A thread cannot be stopped safely from outside on this system (it may hold
// a lock or be inside the allocator), so a forced end disowns it instead: the
// handle is signalled at once with `exitCode`, waiters are released, and the
// thread runs on, disowned, until its routine returns; its result is dropped.
bool TerminateThread(Handle thread, uint32_t exitCode);
uint32_t GetThreadId(Handle thread);

// --- Completion queues -------------------------------------------------------
// `concurrency` bounds how many threads may hold a taken value at once (a
// thread holds one until it asks the queue again or ends); 0 means the
// number of processors.
Handle CreateCompletionQueue(uint32_t concurrency);
bool PostCompletion(Handle queue, uint32_t value, uintptr_t key, uintptr_t overlapped);
// Waits at most timeoutMs (kInfinite: forever) for a posted value. Answers
// false on time-out, on a closed queue and on a handle that is not a queue.
bool TakeCompletion(Handle queue, uint32_t* value, uintptr_t* key, uintptr_t* overlapped,
                    uint32_t timeoutMs);

// --- Events and timers -------------------------------------------------------
Handle CreateEvent(bool manualReset, bool initiallySet);
bool SetEvent(Handle event);
bool ResetEvent(Handle event);
// An unnamed waitable timer; auto-reset unless manualReset.
Handle CreateWaitableTimer(bool manualReset);
// Due time in 100-nanosecond units: negative is relative to now, positive an
// absolute time counted from 1601-01-01 UTC. periodMs 0 fires once.
bool SetWaitableTimer(Handle timer, int64_t dueTime, int32_t periodMs);

// --- Waiting -----------------------------------------------------------------
uint32_t WaitForSingleObject(Handle handle, uint32_t timeoutMs);
// Waits for any of the handles or, when wakeMask is not 0, for input on the
// calling thread's message queue. Answers the index of the signalled handle,
// `count` when input arrived, kWaitTimeout, or kWaitFailed.
uint32_t MsgWaitForMultipleObjects(uint32_t count, const Handle* handles, uint32_t timeoutMs,
                                   uint32_t wakeMask);

// --- Movable memory and streams ----------------------------------------------
inline constexpr uint32_t kMemMoveable = 0x2;
inline constexpr uint32_t kMemZeroInit = 0x40;
using MemoryHandle = uintptr_t;
MemoryHandle GlobalAlloc(uint32_t flags, size_t size);
// Null for a block of 0 bytes, as there is nothing to point at.
void* GlobalLock(MemoryHandle block);
bool GlobalUnlock(MemoryHandle block);
size_t GlobalSize(MemoryHandle block);
MemoryHandle GlobalFree(MemoryHandle block);  // answers 0 on success
// Grows or shrinks a block, keeping its bytes (new bytes are zero).
bool GlobalResize(MemoryHandle block, size_t size);
// A stream over the block (a fresh block when `block` is 0), positioned at
// its start; the stream frees the block on its last release only when
// deleteOnRelease. Writing past the end grows the block.
int32_t CreateStreamOnGlobal(MemoryHandle block, bool deleteOnRelease, PlatformStream** stream);

// --- Process -----------------------------------------------------------------
// Hands freed heap memory back to the system (the working-set trimming).
bool TrimWorkingSet();

// --- Text --------------------------------------------------------------------
// Runtime text (GB18030) to UTF-16. length -1 converts up to and including
// the terminator. With a null buffer or capacity 0, answers the number of
// 16-bit units needed; otherwise the number written, or 0 when they do not
// fit.
int32_t MultiByteToWide(const char* text, int32_t length, char16_t* buffer, int32_t capacity);

}  // namespace platform::kernel
