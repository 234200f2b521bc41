#include "platform/windowing/display_thread.h"

#include <SDL.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <future>
#include <mutex>
#include <shared_mutex>
#include <thread>

#include "platform/windowing/presenter.h"
#include "platform/windowing/sdl_display.h"

namespace platform::win::display {
namespace {

// The thread sleeps on a condition of its own and looks at SDL between
// sleeps. SDL's own waiting cannot be used: SDL wakes it from another thread
// through a message to a window that may be gone by then, and an X error
// ends the process. With a window on the screen input waits at most a few
// milliseconds; requests and changed pixels wake the thread at once.
constexpr auto kPollWithWindows = std::chrono::milliseconds(5);
constexpr auto kPollWithout = std::chrono::milliseconds(50);

struct DisplayState {
    std::mutex mutex;
    std::condition_variable requestArrived;
    std::deque<std::function<void()>> requests;  // under mutex
    bool accepting = false;                      // under mutex
    bool stopRequested = false;                  // under mutex
    std::atomic<bool> running{false};
    std::atomic<bool> wakePending{false};
    // Other threads looking at SDL's event queue hold this shared; the
    // display thread holds it alone to shut SDL down at exit.
    std::shared_mutex sdlLifetime;
    bool sdlAlive = false;  // under sdlLifetime
    std::thread thread;
};

// Never destroyed: the thread may still run while the process exits.
DisplayState& State() {
    static auto* state = new DisplayState();
    return *state;
}

thread_local bool t_isDisplayThread = false;

void ShowChangedWindows() {
    for (HWND hwnd : sdl::Windows()) {
        if (TakeDirty(hwnd) && IsWindowVisible(hwnd))
            sdl::Present(hwnd);
    }
}

void SleepUntilSomethingHappens() {
    DisplayState& s = State();
    // A wake since the loop began is still to be looked at.
    if (s.wakePending.load())
        return;
    std::unique_lock lock(s.mutex);
    s.requestArrived.wait_for(lock, sdl::AnyWindowShown() ? kPollWithWindows : kPollWithout, [&s] {
        return !s.requests.empty() || s.stopRequested || s.wakePending.load();
    });
}

void Loop() {
    DisplayState& s = State();
    for (;;) {
        // Cleared before looking, so a change made from now on wakes the
        // display again.
        s.wakePending = false;
        std::deque<std::function<void()>> batch;
        bool stop;
        {
            std::lock_guard lock(s.mutex);
            batch.swap(s.requests);
            stop = s.stopRequested;
        }
        for (auto& request : batch)
            request();
        if (stop)
            return;
        sdl::PumpEvents();
        ShowChangedWindows();
        SleepUntilSomethingHappens();
    }
}

void Stop() {
    DisplayState& s = State();
    {
        std::lock_guard lock(s.mutex);
        s.accepting = false;
        s.stopRequested = true;
    }
    Wake();
    if (s.thread.joinable())
        s.thread.join();
    s.running = false;
}

}  // namespace

bool Start() {
    DisplayState& s = State();
    std::promise<bool> opened;
    std::future<bool> result = opened.get_future();
    s.thread = std::thread([opened = std::move(opened)]() mutable {
        pthread_setname_np(pthread_self(), "picbatch-display");
        t_isDisplayThread = true;
        DisplayState& state = State();
        bool ok = sdl::Open();
        if (ok) {
            std::unique_lock alive(state.sdlLifetime);
            state.sdlAlive = true;
        }
        opened.set_value(ok);
        if (!ok)
            return;
        Loop();
        {
            std::unique_lock gone(state.sdlLifetime);
            state.sdlAlive = false;
        }
        // Closes the display windows and SDL's connections; SDL's
        // per-thread data (its error text) only it can free.
        SDL_Quit();
        SDL_TLSCleanup();
    });
    if (!result.get()) {
        s.thread.join();
        return false;
    }
    {
        std::lock_guard lock(s.mutex);
        s.accepting = true;
    }
    s.running = true;
    // The thread stops before the process's static objects are destroyed.
    std::atexit(Stop);
    return true;
}

void Post(std::function<void()> request) {
    DisplayState& s = State();
    {
        std::lock_guard lock(s.mutex);
        if (!s.accepting)
            return;
        s.requests.push_back(std::move(request));
    }
    Wake();
}

void Call(const std::function<void()>& request) {
    if (t_isDisplayThread) {
        request();
        return;
    }
    DisplayState& s = State();
    // Shared with the queued request, which may outlive this call by a
    // moment after it has signalled.
    struct Completion {
        std::mutex mutex;
        std::condition_variable signal;
        bool done = false;
    };
    auto completion = std::make_shared<Completion>();
    {
        std::lock_guard lock(s.mutex);
        if (!s.accepting)
            return;
        s.requests.push_back([&request, completion] {
            request();
            std::lock_guard done(completion->mutex);
            completion->done = true;
            completion->signal.notify_all();
        });
    }
    Wake();
    std::unique_lock lock(completion->mutex);
    completion->signal.wait(lock, [&] { return completion->done; });
}

void Wake() {
    DisplayState& s = State();
    if (!s.running.load() || s.wakePending.exchange(true))
        return;
    // The display thread looks at the flag itself before it sleeps.
    if (t_isDisplayThread)
        return;
    {
        // Taken so the notification cannot fall between the sleeper's
        // check and its wait.
        std::lock_guard lock(s.mutex);
    }
    s.requestArrived.notify_one();
}

bool EventsWaiting() {
    DisplayState& s = State();
    std::shared_lock alive(s.sdlLifetime);
    return s.sdlAlive && sdl::EventsWaiting();
}

}  // namespace platform::win::display
