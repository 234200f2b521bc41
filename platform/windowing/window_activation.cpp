// Keyboard focus, activation of top-level windows, the foreground window
// and mouse capture. Focus and activation are per thread; the foreground
// window and the capture are the process's.
#include <atomic>

#include "platform/windowing/presenter.h"
#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {
namespace {

std::atomic<HWND> g_foreground{nullptr};
HWND g_capture = nullptr;  // under the registry lock

// A thread's focus or active window may have been destroyed since it was
// recorded: forgets it then. Answers what remains recorded.
HWND ForgetIfDestroyed(HWND& recorded) {
    if (recorded && !IsWindow(recorded))
        recorded = nullptr;
    return recorded;
}

}  // namespace

void ForgetForegroundWindow(HWND hwnd) {
    HWND expected = hwnd;
    g_foreground.compare_exchange_strong(expected, nullptr);
}

HWND EnabledOwnedPopup(HWND owner) {
    std::lock_guard lock(RegistryLock());
    for (HWND top : TopLevelOrderLocked()) {
        Window* w = FindLocked(top);
        if (w && w->owner == owner && w->Visible() && !(w->style & WS_DISABLED) && !w->destroying)
            return top;
    }
    return nullptr;
}

}  // namespace win

using namespace win;

HWND SetFocus(HWND hwnd) {
    ThreadState& state = CurrentThreadState();
    HWND old = ForgetIfDestroyed(state.focus);
    if (!hwnd) {
        state.focus = nullptr;
        if (old)
            SendLocalMessage(old, WM_KILLFOCUS, 0, 0);
        return old;
    }
    if (ThreadOf(hwnd) != GetCurrentThreadId())
        return nullptr;
    if (old == hwnd)
        return old;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    if (root != state.active) {
        SetActiveWindow(root);
        if (!IsWindow(hwnd))
            return nullptr;
        old = state.focus;
        if (old == hwnd)
            return old;
    }
    state.focus = hwnd;
    if (old)
        SendLocalMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (state.focus == hwnd && IsWindow(hwnd)) {
        SendLocalMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
    return old;
}

HWND GetFocus() {
    return ForgetIfDestroyed(CurrentThreadState().focus);
}

HWND SetActiveWindow(HWND hwnd) {
    ThreadState& state = CurrentThreadState();
    HWND old = ForgetIfDestroyed(state.active);
    if (hwnd) {
        hwnd = GetAncestor(hwnd, GA_ROOT);
        if (!hwnd || ThreadOf(hwnd) != GetCurrentThreadId())
            return nullptr;
    }
    if (old == hwnd)
        return old;
    if (state.focus && old && (state.focus == old || IsChild(old, state.focus)))
        SetFocus(nullptr);
    state.active = hwnd;
    if (hwnd) {
        {
            std::lock_guard lock(RegistryLock());
            PlaceInZOrderLocked(hwnd, HWND_TOP);
            g_foreground = hwnd;
        }
        PresenterActivated(hwnd);
    }
    if (old)
        SendLocalMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    if (hwnd && state.active == hwnd) {
        SendLocalMessage(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
    }
    return old;
}

HWND GetActiveWindow() {
    return ForgetIfDestroyed(CurrentThreadState().active);
}

bool SetForegroundWindow(HWND hwnd) {
    ThreadId thread = ThreadOf(hwnd);
    if (!thread)
        return false;
    if (thread == GetCurrentThreadId()) {
        SetActiveWindow(hwnd);
        return true;
    }
    SendToThread(thread, [hwnd]() -> intptr_t {
        SetActiveWindow(hwnd);
        return 1;
    });
    return true;
}

HWND GetForegroundWindow() {
    HWND hwnd = g_foreground;
    return IsWindow(hwnd) ? hwnd : nullptr;
}

HWND SetCapture(HWND hwnd) {
    HWND old;
    {
        std::lock_guard lock(RegistryLock());
        if (!FindLocked(hwnd))
            return nullptr;
        old = g_capture;
        g_capture = hwnd;
    }
    if (old && old != hwnd)
        SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

bool ReleaseCapture() {
    HWND old;
    {
        std::lock_guard lock(RegistryLock());
        old = g_capture;
        g_capture = nullptr;
    }
    if (old)
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetCapture() {
    std::lock_guard lock(RegistryLock());
    if (g_capture && !FindLocked(g_capture))
        g_capture = nullptr;
    return g_capture;
}

}  // namespace platform
