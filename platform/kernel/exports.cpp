// The word-shaped routines the application binds by name. Each takes and
// answers whole words: handles and pointers as they are, 32-bit values in
// the low half (time-outs and codes are read back as 32-bit values, so a -1
// arrives as 0xFFFFFFFF whichever way the caller extended it).
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/base/exported_words.h"
#include "platform/kernel/kernel.h"
#include "platform/messages/thread_message_queue.h"

using platform::exported::Low;
using platform::exported::Ptr;
using platform::kernel::Handle;
using W = platform::exported::Word;

#define KERNEL_EXPORT extern "C" __attribute__((visibility("default")))

// --- Process and memory ------------------------------------------------------
KERNEL_EXPORT W GetCurrentProcess() {
    return platform::kernel::kCurrentProcess;
}

KERNEL_EXPORT W SetProcessWorkingSetSize(W process, W /*minimum*/, W /*maximum*/) {
    if (process != platform::kernel::kCurrentProcess)
        return 0;
    return platform::kernel::TrimWorkingSet() ? 1 : 0;
}

KERNEL_EXPORT W GlobalAlloc(W flags, W size) {
    return platform::kernel::GlobalAlloc(Low(flags), size);
}
KERNEL_EXPORT W GlobalLock(W block) {
    return W(platform::kernel::GlobalLock(block));
}
KERNEL_EXPORT W GlobalUnlock(W block) {
    return platform::kernel::GlobalUnlock(block) ? 1 : 0;
}
KERNEL_EXPORT W GlobalSize(W block) {
    return platform::kernel::GlobalSize(block);
}
KERNEL_EXPORT W GlobalFree(W block) {
    return platform::kernel::GlobalFree(block);
}

KERNEL_EXPORT W CreateStreamOnHGlobal(W block, W deleteOnRelease, W streamOut) {
    return W(uint32_t(platform::kernel::CreateStreamOnGlobal(block, Low(deleteOnRelease) != 0,
                                                             Ptr<PlatformStream*>(streamOut))));
}

KERNEL_EXPORT W RtlMoveMemory(W destination, W source, W count) {
    if (count > 0)
        std::memmove(Ptr<void>(destination), Ptr<const void>(source), count);
    return 0;
}

// Copies at most count - 1 characters and a terminator; with a count of 0 it
// touches nothing, which is what makes it answer a variable's own address.
KERNEL_EXPORT W lstrcpynA(W destination, W source, W count) {
    auto* out = Ptr<char>(destination);
    int32_t room = static_cast<int32_t>(Low(count));
    if (!out || room <= 0)
        return destination;
    const char* in = Ptr<const char>(source);
    int32_t i = 0;
    for (; in && i < room - 1 && in[i]; ++i)
        out[i] = in[i];
    out[i] = 0;
    return destination;
}

KERNEL_EXPORT W MultiByteToWideChar(W /*codePage*/, W /*flags*/, W text, W length, W buffer,
                                    W capacity) {
    return W(uint32_t(platform::kernel::MultiByteToWide(
        Ptr<const char>(text), static_cast<int32_t>(Low(length)), Ptr<char16_t>(buffer),
        static_cast<int32_t>(Low(capacity)))));
}

// --- Threads -----------------------------------------------------------------
KERNEL_EXPORT W CreateThread(W /*security*/, W /*stackSize*/, W routine, W parameter, W /*flags*/,
                             W threadIdOut) {
    return platform::kernel::CreateThread(
        reinterpret_cast<platform::kernel::ThreadRoutine>(routine), parameter,
        Ptr<uint32_t>(threadIdOut));
}
KERNEL_EXPORT W GetExitCodeThread(W thread, W exitCodeOut) {
    return platform::kernel::GetExitCodeThread(thread, Ptr<uint32_t>(exitCodeOut)) ? 1 : 0;
}
KERNEL_EXPORT W TerminateThread(W thread, W exitCode) {
    return platform::kernel::TerminateThread(thread, Low(exitCode)) ? 1 : 0;
}
KERNEL_EXPORT W GetThreadId(W thread) {
    return platform::kernel::GetThreadId(thread);
}
KERNEL_EXPORT W GetCurrentThreadId() {
    return platform::GetCurrentThreadId();
}
KERNEL_EXPORT W GetTickCount() {
    return platform::GetTickCount();
}
KERNEL_EXPORT W Sleep(W milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(Low(milliseconds)));
    return 0;
}

// --- Completion queues -------------------------------------------------------
// Only creating a new queue is supported: there are no files to attach.
KERNEL_EXPORT W CreateIoCompletionPort(W file, W existing, W /*key*/, W concurrency) {
    if (file != W(-1) && Low(file) != 0xFFFFFFFF)
        return 0;
    if (existing != 0)
        return 0;
    return platform::kernel::CreateCompletionQueue(Low(concurrency));
}
KERNEL_EXPORT W GetQueuedCompletionStatus(W queue, W valueOut, W keyOut, W overlappedOut,
                                          W timeout) {
    return platform::kernel::TakeCompletion(queue, Ptr<uint32_t>(valueOut), Ptr<uintptr_t>(keyOut),
                                            Ptr<uintptr_t>(overlappedOut), Low(timeout))
               ? 1
               : 0;
}
KERNEL_EXPORT W PostQueuedCompletionStatus(W queue, W value, W key, W overlapped) {
    return platform::kernel::PostCompletion(queue, Low(value), key, overlapped) ? 1 : 0;
}

// --- Events, timers, waits, handles ------------------------------------------
KERNEL_EXPORT W CreateEventW(W /*security*/, W manualReset, W initiallySet, W /*name*/) {
    return platform::kernel::CreateEvent(Low(manualReset) != 0, Low(initiallySet) != 0);
}
KERNEL_EXPORT W SetEvent(W event) {
    return platform::kernel::SetEvent(event) ? 1 : 0;
}
KERNEL_EXPORT W ResetEvent(W event) {
    return platform::kernel::ResetEvent(event) ? 1 : 0;
}

KERNEL_EXPORT W CreateWaitableTimerW(W /*security*/, W manualReset, W /*name*/) {
    return platform::kernel::CreateWaitableTimer(Low(manualReset) != 0);
}
KERNEL_EXPORT W SetWaitableTimer(W timer, W dueTimeAddress, W period, W /*routine*/, W /*argument*/,
                                 W /*resume*/) {
    if (!dueTimeAddress)
        return 0;
    int64_t due;
    std::memcpy(&due, Ptr<const void>(dueTimeAddress), sizeof due);
    return platform::kernel::SetWaitableTimer(timer, due, static_cast<int32_t>(Low(period))) ? 1
                                                                                             : 0;
}

KERNEL_EXPORT W WaitForSingleObject(W handle, W timeout) {
    return platform::kernel::WaitForSingleObject(handle, Low(timeout));
}
KERNEL_EXPORT W MsgWaitForMultipleObjects(W count, W handles, W /*waitAll*/, W timeout,
                                          W wakeMask) {
    return platform::kernel::MsgWaitForMultipleObjects(Low(count), Ptr<const Handle>(handles),
                                                       Low(timeout), Low(wakeMask));
}
KERNEL_EXPORT W CloseHandle(W handle) {
    return platform::kernel::CloseHandle(handle) ? 1 : 0;
}

// --- The calling thread's message queue --------------------------------------
KERNEL_EXPORT W PostThreadMessageW(W thread, W message, W wParam, W lParam) {
    return platform::PostThreadMessage(Low(thread), Low(message), wParam, intptr_t(lParam)) ? 1 : 0;
}
KERNEL_EXPORT W PeekMessageW(W msg, W window, W filterMin, W filterMax, W flags) {
    return platform::PeekMessage(Ptr<platform::MSG>(msg), Ptr<void>(window), Low(filterMin),
                                 Low(filterMax), Low(flags))
               ? 1
               : 0;
}
KERNEL_EXPORT W GetMessageW(W msg, W window, W filterMin, W filterMax) {
    return W(platform::GetMessage(Ptr<platform::MSG>(msg), Ptr<void>(window), Low(filterMin),
                                  Low(filterMax)));
}
KERNEL_EXPORT W PostQuitMessage(W exitCode) {
    platform::PostQuitMessage(static_cast<int>(Low(exitCode)));
    return 0;
}
