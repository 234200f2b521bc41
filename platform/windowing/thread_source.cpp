// What the window layer adds to a thread's queue: WM_PAINT for windows with
// something to paint, WM_TIMER for timers that are due, and display input.
#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>

#include "platform/windowing/presenter.h"
#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {
namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
    HWND hwnd;
    uintptr_t id;
    uint32_t interval;
    TIMERPROC proc;
    Clock::time_point due;
};

bool InRange(uint32_t message, uint32_t low, uint32_t high) {
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

// Whether the calling thread's source exists: work the display queued for
// a thread may run while the thread ends, after its source has gone.
// (Trivially destructible, so still readable then.)
thread_local bool t_sourceInstalled = false;
thread_local bool t_sourceGone = false;
// The window whose display change the calling thread is carrying out.
thread_local HWND t_followingDisplay = nullptr;

class WindowMessageSource : public MessageSource {
public:
    std::vector<Timer> timers;
    // Input of this thread's windows: taken after posted messages, before
    // paint and timers, so a character made by TranslateMessage (posted)
    // arrives before the key release that follows its key press.
    std::deque<MSG> input;
    // What the display saw happen to this thread's windows, not yet turned
    // into input.
    std::deque<std::function<void()>> displayEvents;
    uintptr_t nextThreadTimerId = 1;

    ~WindowMessageSource() override { t_sourceGone = true; }

    void Pump() override {
        PresenterPump();
        // One at a time: an event may run a nested message loop that pumps.
        while (!displayEvents.empty()) {
            std::function<void()> event = std::move(displayEvents.front());
            displayEvents.pop_front();
            event();
        }
    }

    bool Generate(MSG* msg, HWND hwnd, uint32_t low, uint32_t high, bool remove) override {
        for (auto it = input.begin(); it != input.end(); ++it) {
            if (!InRange(it->message, low, high))
                continue;
            if (hwnd == kThreadMessagesOnly || (hwnd && it->hwnd != hwnd))
                continue;
            *msg = *it;
            if (remove)
                input.erase(it);
            return true;
        }
        if (InRange(WM_PAINT, low, high) && hwnd != kThreadMessagesOnly) {
            if (HWND target = FindWindowToPaint(hwnd)) {
                Fill(msg, target, WM_PAINT, 0, 0);
                return true;  // paint stays until the window is validated
            }
        }
        if (!InRange(WM_TIMER, low, high))
            return false;
        auto now = Clock::now();
        Timer* best = nullptr;
        for (Timer& t : timers) {
            if (t.due > now)
                continue;
            if (hwnd == kThreadMessagesOnly ? t.hwnd != nullptr : (hwnd && t.hwnd != hwnd)) {
                continue;
            }
            if (!best || t.due < best->due)
                best = &t;
        }
        if (!best)
            return false;
        Fill(msg, best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc));
        if (remove)
            best->due = now + std::chrono::milliseconds(best->interval);
        return true;
    }

    int NextWakeMs() override {
        if (!input.empty() || !displayEvents.empty())
            return 0;
        int wait = -1;
        auto now = Clock::now();
        for (const Timer& t : timers) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t.due - now).count();
            int ms = int(std::max<long long>(0, left));
            if (wait < 0 || ms < wait)
                wait = ms;
        }
        return wait;
    }

private:
    static void Fill(MSG* msg, HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
        msg->hwnd = hwnd;
        msg->message = message;
        msg->wParam = wParam;
        msg->lParam = lParam;
        msg->time = GetTickCount();
        GetCursorPos(&msg->pt);
    }
};

WindowMessageSource& Source() {
    thread_local WindowMessageSource source;
    return source;
}

}  // namespace

// Windows die with their thread: when it ends, they leave the table without
// further messages, so sends still waiting for them answer 0 instead of
// running a procedure on a thread that is being torn down.
struct ThreadEndGuard {
    ~ThreadEndGuard() {
        ThreadId thread = GetCurrentThreadId();
        std::vector<HWND> doomed;
        {
            std::lock_guard lock(RegistryLock());
            for (HWND top : TopLevelOrderLocked()) {
                Window* w = FindLocked(top);
                if (w && w->thread == thread)
                    doomed.push_back(top);
            }
            for (HWND top : doomed)
                RemoveTreeLocked(top);
        }
        // Their display windows go too.
        for (HWND top : doomed)
            PresenterWindowDestroyed(top);
    }
    static void RemoveTreeLocked(HWND hwnd) {
        Window* w = FindLocked(hwnd);
        if (!w)
            return;
        std::vector<HWND> children = w->children;
        for (HWND child : children)
            RemoveTreeLocked(child);
        ReleaseSurfacesLocked(*w);
        RemoveWindowLocked(hwnd);
    }
};

void EnsureThreadSource() {
    if (!t_sourceInstalled) {
        SetThreadMessageSource(&Source());
        // Made after the thread's queue, so it is torn down before the queue
        // runs the sends left waiting.
        thread_local ThreadEndGuard guard;
        (void)guard;
        t_sourceInstalled = true;
    }
}

void QueueDisplayEvent(ThreadId thread, std::function<void()> event) {
    PostWorkToThread(thread, [event = std::move(event)]() mutable {
        if (t_sourceInstalled && !t_sourceGone)
            Source().displayEvents.push_back(std::move(event));
    });
}

DisplayChangeScope::DisplayChangeScope(HWND topLevel) : previous_(t_followingDisplay) {
    t_followingDisplay = topLevel;
}

DisplayChangeScope::~DisplayChangeScope() {
    t_followingDisplay = previous_;
}

bool FollowingDisplay(HWND topLevel) {
    return topLevel && t_followingDisplay == topLevel;
}

void DeliverInput(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam, POINT screen) {
    ThreadId thread;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return;
        thread = w->thread;
    }
    if (thread != GetCurrentThreadId()) {
        PostToThread(thread, hwnd, message, wParam, lParam);
        return;
    }
    EnsureThreadSource();
    MSG msg = StampedMessage(hwnd, message, wParam, lParam);
    msg.pt = screen;
    Source().input.push_back(msg);
}

void KillWindowTimers(HWND hwnd) {
    auto& input = Source().input;
    input.erase(
        std::remove_if(input.begin(), input.end(), [hwnd](const MSG& m) { return m.hwnd == hwnd; }),
        input.end());
    auto& timers = Source().timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
                 timers.end());
}

}  // namespace win

using namespace win;

uintptr_t SetTimer(HWND hwnd, uintptr_t id, uint32_t elapseMs, TIMERPROC proc) {
    if (hwnd) {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w || w->thread != GetCurrentThreadId())
            return 0;
    }
    EnsureThreadSource();
    WindowMessageSource& source = Source();
    if (!hwnd)
        id = source.nextThreadTimerId++;
    uint32_t interval = std::max<uint32_t>(elapseMs, 10);
    auto due = Clock::now() + std::chrono::milliseconds(interval);
    for (Timer& t : source.timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t = Timer{hwnd, id, interval, proc, due};
            return hwnd ? 1 : id;
        }
    }
    source.timers.push_back(Timer{hwnd, id, interval, proc, due});
    return hwnd ? 1 : id;
}

bool KillTimer(HWND hwnd, uintptr_t id) {
    auto& timers = Source().timers;
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == timers.end())
        return false;
    timers.erase(it);
    return true;
}

}  // namespace platform
