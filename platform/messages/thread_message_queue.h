// Per-thread message queues: every thread that posts, peeks or gets has one,
// created on first use. Windows live on these queues (the window layer
// resolves a window to its thread and routes the message there); the kernel's
// "wait for a handle or for input" polls InputWakeFd() beside the handle.
//
// Sent messages: a send to another thread's window must run on that thread.
// SendToThread queues the work there and blocks until the target thread runs
// it, which happens whenever that thread peeks, gets or waits for messages.
// While blocked, the sender keeps serving sends aimed at itself, so two
// threads sending to each other cannot deadlock.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

using HWND = void*;

struct POINT {
    int32_t x = 0;
    int32_t y = 0;
};

struct MSG {
    HWND hwnd = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t time = 0;
    POINT pt;
};

inline constexpr uint32_t WM_NULL = 0x0000;
inline constexpr uint32_t WM_QUIT = 0x0012;
inline constexpr uint32_t WM_USER = 0x0400;
inline constexpr uint32_t PM_NOREMOVE = 0x0000;
inline constexpr uint32_t PM_REMOVE = 0x0001;
// A filter window of HWND(-1) matches only thread messages (hwnd null).
inline const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(intptr_t(-1));

using ThreadId = uint32_t;

// Small positive id of the calling thread, stable for its lifetime. The
// thread's queue exists from the moment its id is known.
ThreadId GetCurrentThreadId();
// Milliseconds since the process started its clock (the message time base).
uint32_t GetTickCount();
// A message as it enters a queue: stamped with the time it was sent, so that
// posted and input messages share one time base.
MSG StampedMessage(HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Queue a message on a thread; false when that thread has no queue (it never
// used one, or it has ended).
bool PostThreadMessage(ThreadId thread, uint32_t message, uintptr_t wParam, intptr_t lParam);
bool PostToThread(ThreadId thread, HWND hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);
// WM_QUIT with the exit code in wParam, seen once the queue has nothing else.
void PostQuitMessage(int exitCode);

// Message filter: hwnd null matches every message, kThreadMessagesOnly only
// thread messages, any other window only its own; a range of 0..0 takes all.
// Peek answers whether a message was found; flags PM_REMOVE takes it.
bool PeekMessage(MSG* msg, HWND hwnd, uint32_t filterMin, uint32_t filterMax, uint32_t flags);
// Blocks until a message arrives; answers 0 for WM_QUIT, 1 otherwise.
int GetMessage(MSG* msg, HWND hwnd, uint32_t filterMin, uint32_t filterMax);
// Blocks until the calling thread's queue has input or timeoutMs passes (-1:
// forever); answers whether input is waiting. Runs sent work while waiting.
bool WaitMessage(int timeoutMs);
// Whether anything (posted, sent or quit) is waiting for the calling thread.
bool HasInput();
// An eventfd that polls readable while the calling thread has input waiting.
int InputWakeFd();
// For waits that poll other descriptors beside InputWakeFd(): input that the
// thread's message source makes (display events, paint, timers) does not
// signal the fd, so such a wait sleeps at most InputPollBoundMs() (-1: no
// bound) at a time and asks InputReady(), which pumps the source, between
// sleeps.
int InputPollBoundMs();
bool InputReady();

// Runs `work` on `thread` and answers its result; runs it directly when the
// thread is the caller. Answers 0 without running it when the thread has no
// queue or ends before running it.
intptr_t SendToThread(ThreadId thread, const std::function<intptr_t()>& work);
// Queues `work` to run on `thread` at its next peek, get or wait, like a
// send whose sender does not wait (so a thread that must never block, such
// as the display's, can hand work to a window's thread). False when the
// thread has no queue. Work still queued when the thread ends runs while
// its queue is torn down, after the thread's own code has finished.
bool PostWorkToThread(ThreadId thread, std::function<void()> work);
// Runs the sends waiting for the calling thread; answers how many ran.
int ProcessSentMessages();

// What the window layer adds to a thread's queue: messages that are made when
// asked for rather than posted (paint, timers) and input pumped from the
// display. Installed per thread; null removes it.
class MessageSource {
public:
    virtual ~MessageSource() = default;
    // Called at every peek or get before the posted messages are looked at:
    // turn display events into posted messages here.
    virtual void Pump() {}
    // Called when no posted message matched; fill *msg and answer true to
    // deliver a made-up message (removing it from its source when remove).
    virtual bool Generate(MSG* msg, HWND hwnd, uint32_t filterMin, uint32_t filterMax,
                          bool remove) = 0;
    // Milliseconds until Generate may have something new (a timer due, the
    // next display poll), or -1 for never; bounds how long waits sleep.
    virtual int NextWakeMs() = 0;
};
void SetThreadMessageSource(MessageSource* source);

}  // namespace platform
