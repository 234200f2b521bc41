// Showing, hiding, enabling and disabling windows.
#include "platform/windowing/presenter.h"
#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {

bool TakesInput(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || (w->style & WS_DISABLED))
        return false;
    Window* root = FindLocked(RootLocked(hwnd));
    return root && !(root->style & WS_DISABLED);
}

}  // namespace win

using namespace win;

bool ShowWindow(HWND hwnd, int command) {
    bool wasVisible, topLevel;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return false;
        wasVisible = w->Visible();
        topLevel = !w->IsChildWindow();
    }
    bool show = command != SW_HIDE;
    bool activate = show && topLevel && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
                    command != SW_SHOWMINIMIZED && command != SW_MINIMIZE;
    if (show != wasVisible) {
        SendMessage(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
        {
            std::lock_guard lock(RegistryLock());
            Window* w = FindLocked(hwnd);
            if (!w)
                return wasVisible;
            if (show) {
                w->style |= WS_VISIBLE;
            } else {
                w->style &= ~WS_VISIBLE;
            }
        }
        if (show)
            InvalidateTree(hwnd);
        MarkDirty(hwnd);
        if (topLevel)
            PresenterVisibilityChanged(hwnd);
        if (!show && ThreadOf(hwnd) == GetCurrentThreadId()) {
            ThreadState& state = CurrentThreadState();
            if (state.focus && (state.focus == hwnd || IsChild(hwnd, state.focus)))
                SetFocus(nullptr);
            if (state.active == hwnd) {
                state.active = nullptr;
                SendMessage(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
            }
        }
    }
    if (activate && ThreadOf(hwnd) == GetCurrentThreadId())
        SetActiveWindow(hwnd);
    return wasVisible;
}

bool IsWindowVisible(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    for (Window* w = FindLocked(hwnd); w;
         w = w->IsChildWindow() ? FindLocked(w->parent) : nullptr) {
        if (!w->Visible())
            return false;
        if (!w->IsChildWindow())
            return true;
    }
    return false;
}

bool EnableWindow(HWND hwnd, bool enable) {
    bool wasDisabled;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return false;
        wasDisabled = w->style & WS_DISABLED;
        if (wasDisabled == !enable)
            return wasDisabled;
        if (enable) {
            w->style &= ~WS_DISABLED;
        } else {
            w->style |= WS_DISABLED;
        }
    }
    if (!enable && ThreadOf(hwnd) == GetCurrentThreadId()) {
        HWND focus = CurrentThreadState().focus;
        if (focus && (focus == hwnd || IsChild(hwnd, focus)))
            SetFocus(nullptr);
    }
    SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    return w && !(w->style & WS_DISABLED);
}

}  // namespace platform
