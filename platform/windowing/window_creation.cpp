// Creating and destroying windows: the creation messages and hooks, and
// the order in which a window, its owned windows and its descendants go.
#include <algorithm>

#include "platform/windowing/presenter.h"
#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {
namespace {

struct CBT_CREATEWND {
    CREATESTRUCT* lpcs;
    HWND hwndInsertAfter;
};

void NotifyParents(HWND hwnd, uint32_t event) {
    HWND parent;
    intptr_t id;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w || !w->IsChildWindow() || (w->exStyle & WS_EX_NOPARENTNOTIFY))
            return;
        parent = w->parent;
        id = w->id;
    }
    // Every ancestor hears of it, nearest first, until a top-level window.
    while (parent) {
        SendMessage(parent, WM_PARENTNOTIFY, WPARAM(event | (uint32_t(uint16_t(id)) << 16)),
                    reinterpret_cast<LPARAM>(hwnd));
        std::lock_guard lock(RegistryLock());
        Window* p = FindLocked(parent);
        parent =
            p && p->IsChildWindow() && !(p->exStyle & WS_EX_NOPARENTNOTIFY) ? p->parent : nullptr;
    }
}

}  // namespace
}  // namespace win

using namespace win;

HWND CreateWindowEx(uint32_t exStyle, const char* className, const char* windowName, uint32_t style,
                    int x, int y, int width, int height, HWND parent, void* menuOrId,
                    void* instance, void* param) {
    if (!className)
        return nullptr;
    EnsureThreadSource();
    auto window = std::make_unique<Window>();
    {
        std::lock_guard lock(RegistryLock());
        window->windowClass = FindClassLocked(className);
        if (!window->windowClass)
            return nullptr;
        if ((style & WS_CHILD) && !FindLocked(parent))
            return nullptr;
        if (!(style & WS_CHILD) && parent) {
            window->owner = RootLocked(parent);
            parent = nullptr;
        }
    }
    if (x == CW_USEDEFAULT)
        x = y = 100;
    if (width == CW_USEDEFAULT) {
        width = 640;
        height = 480;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    window->thread = GetCurrentThreadId();
    window->style = style & ~WS_VISIBLE;
    window->exStyle = exStyle;
    window->proc = window->windowClass->info.lpfnWndProc;
    window->parent = parent;
    window->id = (style & WS_CHILD) ? reinterpret_cast<intptr_t>(menuOrId) : 0;
    window->instance = instance;
    window->extra.assign(size_t(std::max(0, window->windowClass->info.cbWndExtra)), 0);
    window->rect = RECT{x, y, x + width, y + height};
    // The display window is made before WM_NCCREATE stores the text, so
    // give it the title now.
    if (windowName)
        window->text = windowName;
    HWND hwnd;
    {
        std::lock_guard lock(RegistryLock());
        CreateSurfaceLocked(*window);
        hwnd = AddWindowLocked(std::move(window));
    }
    bool topLevel = !(style & WS_CHILD);
    if (topLevel)
        PresenterWindowCreated(hwnd);

    CREATESTRUCT create;
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menuOrId;
    create.hwndParent = parent;
    create.cx = width;
    create.cy = height;
    create.x = x;
    create.y = y;
    create.style = style;
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;

    // Hooks and procedures see the creation as it happens; any of them may
    // refuse it.
    if (HasThreadHooks(WH_CBT)) {
        CBT_CREATEWND record{&create, HWND_TOP};
        if (CallThreadHooks(WH_CBT, HCBT_CREATEWND, reinterpret_cast<WPARAM>(hwnd),
                            reinterpret_cast<LPARAM>(&record)) != 0) {
            DestroyWindow(hwnd);
            return nullptr;
        }
    }
    auto createParam = reinterpret_cast<LPARAM>(&create);
    if (!SendLocalMessage(hwnd, WM_NCCREATE, 0, createParam) || !IsWindow(hwnd)) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    RECT client{x, y, x + width, y + height};
    SendLocalMessage(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&client));
    if (SendLocalMessage(hwnd, WM_CREATE, 0, createParam) == -1 || !IsWindow(hwnd)) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    SendLocalMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    SendLocalMessage(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    NotifyParents(hwnd, WM_CREATE);
    if (!IsWindow(hwnd))
        return nullptr;
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

bool DestroyWindow(HWND hwnd) {
    std::vector<HWND> owned, descendants;
    bool topLevel;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w || w->thread != GetCurrentThreadId() || w->destroying)
            return false;
        w->destroying = true;
        topLevel = !w->IsChildWindow();
        for (HWND top : TopLevelOrderLocked()) {
            Window* o = FindLocked(top);
            if (o && o->owner == hwnd && !o->destroying)
                owned.push_back(top);
        }
        CollectDescendantsLocked(hwnd, descendants);
        for (HWND d : descendants) {
            if (Window* dw = FindLocked(d))
                dw->destroying = true;
        }
    }
    if (HasThreadHooks(WH_CBT)) {
        CallThreadHooks(WH_CBT, HCBT_DESTROYWND, reinterpret_cast<WPARAM>(hwnd), 0);
    }
    // Owned windows go first, then the window leaves the screen.
    for (HWND o : owned)
        DestroyWindow(o);
    NotifyParents(hwnd, WM_DESTROY);
    {
        std::lock_guard lock(RegistryLock());
        if (Window* w = FindLocked(hwnd)) {
            if (w->Visible()) {
                w->style &= ~WS_VISIBLE;
            }
        }
    }
    if (topLevel)
        PresenterVisibilityChanged(hwnd);
    else
        MarkDirty(hwnd);

    ThreadState& state = CurrentThreadState();
    auto inTree = [&](HWND candidate) {
        if (!candidate)
            return false;
        if (candidate == hwnd)
            return true;
        return std::find(descendants.begin(), descendants.end(), candidate) != descendants.end();
    };
    if (inTree(state.focus)) {
        HWND old = state.focus;
        state.focus = nullptr;
        SendLocalMessage(old, WM_KILLFOCUS, 0, 0);
    }
    if (inTree(GetCapture()))
        ReleaseCapture();
    if (state.active == hwnd) {
        state.active = nullptr;
        SendLocalMessage(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    }

    SendLocalMessage(hwnd, WM_DESTROY, 0, 0);
    for (HWND d : descendants) {
        if (IsWindow(d))
            SendLocalMessage(d, WM_DESTROY, 0, 0);
    }
    for (auto it = descendants.rbegin(); it != descendants.rend(); ++it) {
        if (IsWindow(*it))
            SendLocalMessage(*it, WM_NCDESTROY, 0, 0);
    }
    SendLocalMessage(hwnd, WM_NCDESTROY, 0, 0);

    if (topLevel)
        PresenterWindowDestroyed(hwnd);
    descendants.push_back(hwnd);
    for (auto it = descendants.rbegin(); it != descendants.rend(); ++it) {
        KillWindowTimers(*it);
        ForgetInputWindow(*it);
        std::lock_guard lock(RegistryLock());
        if (Window* w = FindLocked(*it)) {
            ReleaseSurfacesLocked(*w);
            RemoveWindowLocked(*it);
        }
    }
    ForgetForegroundWindow(hwnd);
    return true;
}

}  // namespace platform
