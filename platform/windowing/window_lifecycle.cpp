// Creating and destroying windows, their words, text and properties,
// relations and enumeration, visibility, enabling, focus, activation and
// capture, and geometry.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>

#include <unistd.h>

#include "platform/windowing/presenter.h"
#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {
namespace {

struct CBT_CREATEWND {
    CREATESTRUCT* lpcs;
    HWND hwndInsertAfter;
};

std::atomic<HWND> g_foreground{nullptr};
HWND g_capture = nullptr;  // under the registry lock

// Pre-order list of a window's descendants (not the window itself).
void CollectDescendantsLocked(HWND hwnd, std::vector<HWND>& out) {
    Window* w = FindLocked(hwnd);
    if (!w)
        return;
    for (HWND child : w->children) {
        out.push_back(child);
        CollectDescendantsLocked(child, out);
    }
}

// Calls `proc` for the windows `collectLocked` lists under the registry
// lock. The list is a snapshot so that `proc` may create or destroy
// windows; those destroyed meanwhile are skipped. Stops when `proc`
// answers false.
template <typename Collect>
bool EnumerateSnapshot(WNDENUMPROC proc, LPARAM lParam, Collect collectLocked) {
    if (!proc)
        return false;
    std::vector<HWND> snapshot;
    {
        std::lock_guard lock(RegistryLock());
        collectLocked(snapshot);
    }
    for (HWND hwnd : snapshot) {
        if (IsWindow(hwnd) && !proc(hwnd, lParam))
            return false;
    }
    return true;
}

// A thread's focus or active window may have been destroyed since it was
// recorded: forgets it then. Answers what remains recorded.
HWND ForgetIfDestroyed(HWND& recorded) {
    if (recorded && !IsWindow(recorded))
        recorded = nullptr;
    return recorded;
}

bool IsSelfOrDescendantLocked(HWND ancestor, HWND hwnd) {
    for (Window* w = FindLocked(hwnd); w;
         w = w->IsChildWindow() ? FindLocked(w->parent) : nullptr) {
        if (w->handle == ancestor)
            return true;
    }
    return false;
}

ThreadId ThreadOf(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    return w ? w->thread : 0;
}

void InvalidateTree(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

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
    if (g_foreground == hwnd)
        g_foreground = nullptr;
    return true;
}

// ---- Words, text, properties ----

intptr_t GetWindowLongPtr(HWND hwnd, int index) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return 0;
    switch (index) {
        case GWLP_WNDPROC:
            return reinterpret_cast<intptr_t>(w->proc);
        case GWLP_HINSTANCE:
            return reinterpret_cast<intptr_t>(w->instance);
        case GWLP_HWNDPARENT:
            return reinterpret_cast<intptr_t>(w->IsChildWindow() ? w->parent : w->owner);
        case GWLP_ID:
            return w->id;
        case GWL_STYLE:
            return intptr_t(int32_t(w->style));
        case GWL_EXSTYLE:
            return intptr_t(int32_t(w->exStyle));
        case GWLP_USERDATA:
            return w->userData;
        default:
            break;
    }
    if (index < 0 || size_t(index) + sizeof(intptr_t) > w->extra.size())
        return 0;
    intptr_t value;
    std::memcpy(&value, w->extra.data() + index, sizeof value);
    return value;
}

intptr_t SetWindowLongPtr(HWND hwnd, int index, intptr_t value) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return 0;
    intptr_t previous = 0;
    switch (index) {
        case GWLP_WNDPROC:
            // Only the owning thread may replace a procedure.
            if (w->thread != GetCurrentThreadId() || !value)
                return 0;
            previous = reinterpret_cast<intptr_t>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            return previous;
        case GWLP_HINSTANCE:
            previous = reinterpret_cast<intptr_t>(w->instance);
            w->instance = reinterpret_cast<void*>(value);
            return previous;
        case GWLP_ID:
            previous = w->id;
            w->id = value;
            return previous;
        case GWL_STYLE:
            previous = intptr_t(int32_t(w->style));
            w->style = uint32_t(value);
            return previous;
        case GWL_EXSTYLE:
            previous = intptr_t(int32_t(w->exStyle));
            w->exStyle = uint32_t(value);
            return previous;
        case GWLP_USERDATA:
            previous = w->userData;
            w->userData = value;
            return previous;
        default:
            break;
    }
    if (index < 0 || size_t(index) + sizeof(intptr_t) > w->extra.size())
        return 0;
    std::memcpy(&previous, w->extra.data() + index, sizeof previous);
    std::memcpy(w->extra.data() + index, &value, sizeof value);
    return previous;
}

int32_t GetWindowLong(HWND hwnd, int index) {
    if (index >= 0) {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w || size_t(index) + 4 > w->extra.size())
            return 0;
        int32_t value;
        std::memcpy(&value, w->extra.data() + index, 4);
        return value;
    }
    return int32_t(GetWindowLongPtr(hwnd, index));
}

int32_t SetWindowLong(HWND hwnd, int index, int32_t value) {
    if (index >= 0) {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w || size_t(index) + 4 > w->extra.size())
            return 0;
        int32_t previous;
        std::memcpy(&previous, w->extra.data() + index, 4);
        std::memcpy(w->extra.data() + index, &value, 4);
        return previous;
    }
    if (index == GWL_STYLE || index == GWL_EXSTYLE || index == GWLP_ID) {
        return int32_t(SetWindowLongPtr(hwnd, index, intptr_t(uint32_t(value))));
    }
    return int32_t(SetWindowLongPtr(hwnd, index, value));
}

bool SetWindowText(HWND hwnd, const char* text) {
    return IsWindow(hwnd) &&
           SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

int GetWindowText(HWND hwnd, char* buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = 0;
    if (ThreadOf(hwnd) == GetCurrentThreadId()) {
        return int(SendMessage(hwnd, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buffer)));
    }
    // Another thread's window: read the stored text rather than wait on it.
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return 0;
    size_t n = std::min(w->text.size(), size_t(size) - 1);
    std::memcpy(buffer, w->text.data(), n);
    buffer[n] = 0;
    return int(n);
}

int GetWindowTextLength(HWND hwnd) {
    if (ThreadOf(hwnd) == GetCurrentThreadId()) {
        return int(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
    }
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    return w ? int(w->text.size()) : 0;
}

bool SetProp(HWND hwnd, const char* name, void* value) {
    if (!name)
        return false;
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return false;
    w->properties[UpperCase(name)] = value;
    return true;
}

void* GetProp(HWND hwnd, const char* name) {
    if (!name)
        return nullptr;
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    auto it = w->properties.find(UpperCase(name));
    return it == w->properties.end() ? nullptr : it->second;
}

void* RemoveProp(HWND hwnd, const char* name) {
    if (!name)
        return nullptr;
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    auto it = w->properties.find(UpperCase(name));
    if (it == w->properties.end())
        return nullptr;
    void* value = it->second;
    w->properties.erase(it);
    return value;
}

// ---- Relations and enumeration ----

HWND GetParent(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    return w->IsChildWindow() ? w->parent : w->owner;
}

HWND GetAncestor(HWND hwnd, uint32_t flags) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    if (flags == GA_PARENT)
        return w->IsChildWindow() ? w->parent : nullptr;
    return RootLocked(hwnd);
}

HWND GetWindow(HWND hwnd, uint32_t relation) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    if (relation == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    if (relation == GW_OWNER)
        return w->owner;
    Window* parent = w->IsChildWindow() ? FindLocked(w->parent) : nullptr;
    const std::vector<HWND>& siblings = parent ? parent->children : TopLevelOrderLocked();
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    if (it == siblings.end())
        return nullptr;
    switch (relation) {
        case GW_HWNDFIRST:
            return siblings.front();
        case GW_HWNDLAST:
            return siblings.back();
        case GW_HWNDNEXT:
            return it + 1 == siblings.end() ? nullptr : *(it + 1);
        case GW_HWNDPREV:
            return it == siblings.begin() ? nullptr : *(it - 1);
        default:
            return nullptr;
    }
}

bool IsChild(HWND parent, HWND hwnd) {
    if (!parent || parent == hwnd)
        return false;
    std::lock_guard lock(RegistryLock());
    return IsSelfOrDescendantLocked(parent, hwnd);
}

HWND GetDlgItem(HWND parent, int id) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(parent);
    if (!w)
        return nullptr;
    for (HWND child : w->children) {
        Window* c = FindLocked(child);
        if (c && int(c->id) == id)
            return child;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    return w && w->IsChildWindow() ? int(w->id) : 0;
}

ThreadId GetWindowThreadProcessId(HWND hwnd, uint32_t* processId) {
    if (processId)
        *processId = uint32_t(getpid());
    return ThreadOf(hwnd);
}

bool EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
    return EnumerateSnapshot(proc, lParam,
                             [](std::vector<HWND>& out) { out = TopLevelOrderLocked(); });
}

bool EnumThreadWindows(ThreadId thread, WNDENUMPROC proc, LPARAM lParam) {
    return EnumerateSnapshot(proc, lParam, [thread](std::vector<HWND>& out) {
        for (HWND hwnd : TopLevelOrderLocked()) {
            Window* w = FindLocked(hwnd);
            if (w && w->thread == thread)
                out.push_back(hwnd);
        }
    });
}

bool EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    return EnumerateSnapshot(
        proc, lParam, [parent](std::vector<HWND>& out) { CollectDescendantsLocked(parent, out); });
}

// ---- Showing and enabling ----

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

// ---- Focus, activation, capture ----

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
        std::lock_guard lock(RegistryLock());
        auto& order = TopLevelOrderLocked();
        order.erase(std::remove(order.begin(), order.end(), hwnd), order.end());
        order.insert(order.begin(), hwnd);
        g_foreground = hwnd;
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

// ---- Geometry ----

bool GetClientRect(HWND hwnd, RECT* rect) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || !rect)
        return false;
    *rect = RECT{0, 0, w->Width(), w->Height()};
    return true;
}

bool GetWindowRect(HWND hwnd, RECT* rect) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || !rect)
        return false;
    POINT origin = ScreenOriginLocked(*w);
    *rect = RECT{origin.x, origin.y, origin.x + w->Width(), origin.y + w->Height()};
    return true;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height,
                  uint32_t flags) {
    bool moved = false, resized = false, topLevel;
    int newWidth, newHeight;
    RECT newRect;
    {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w)
            return false;
        topLevel = !w->IsChildWindow();
        RECT r = w->rect;
        if (!(flags & SWP_NOMOVE)) {
            OffsetRect(&r, x - r.left, y - r.top);
        }
        if (!(flags & SWP_NOSIZE)) {
            r.right = r.left + std::max(0, width);
            r.bottom = r.top + std::max(0, height);
        }
        moved = r.left != w->rect.left || r.top != w->rect.top;
        resized = r.right - r.left != w->Width() || r.bottom - r.top != w->Height();
        w->rect = r;
        newRect = r;
        newWidth = w->Width();
        newHeight = w->Height();
        if (resized)
            ResizeSurfaceLocked(*w);
        if (!(flags & SWP_NOZORDER)) {
            Window* parent = w->IsChildWindow() ? FindLocked(w->parent) : nullptr;
            auto& siblings = parent ? parent->children : TopLevelOrderLocked();
            siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
            if (insertAfter == HWND_BOTTOM) {
                siblings.push_back(hwnd);
            } else if (insertAfter == HWND_TOP || !FindLocked(insertAfter)) {
                siblings.insert(siblings.begin(), hwnd);
            } else {
                auto it = std::find(siblings.begin(), siblings.end(), insertAfter);
                siblings.insert(it == siblings.end() ? siblings.end() : it + 1, hwnd);
            }
        }
    }
    if (flags & SWP_FRAMECHANGED) {
        SendMessage(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&newRect));
        RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }
    if (moved || resized)
        SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, 0);
    if (moved)
        SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(newRect.left, newRect.top));
    if (resized) {
        SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(newWidth, newHeight));
        if (!(flags & SWP_NOREDRAW))
            InvalidateTree(hwnd);
    }
    if (moved || resized)
        MarkDirty(hwnd);
    if (topLevel && (moved || resized))
        PresenterGeometryChanged(hwnd);
    if (flags & SWP_SHOWWINDOW) {
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    } else if (flags & SWP_HIDEWINDOW) {
        ShowWindow(hwnd, SW_HIDE);
    }
    return true;
}

bool ClientToScreen(HWND hwnd, POINT* point) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || !point)
        return false;
    POINT origin = ScreenOriginLocked(*w);
    point->x += origin.x;
    point->y += origin.y;
    return true;
}

bool ScreenToClient(HWND hwnd, POINT* point) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || !point)
        return false;
    POINT origin = ScreenOriginLocked(*w);
    point->x -= origin.x;
    point->y -= origin.y;
    return true;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, unsigned count) {
    POINT a{}, b{};
    {
        std::lock_guard lock(RegistryLock());
        if (from) {
            Window* w = FindLocked(from);
            if (!w)
                return 0;
            a = ScreenOriginLocked(*w);
        }
        if (to) {
            Window* w = FindLocked(to);
            if (!w)
                return 0;
            b = ScreenOriginLocked(*w);
        }
    }
    int dx = a.x - b.x, dy = a.y - b.y;
    for (unsigned i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return int(uint32_t(uint16_t(dx)) | (uint32_t(uint16_t(dy)) << 16));
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(parent);
    if (!w)
        return nullptr;
    // Deepest visible, enabled child under the point.
    for (;;) {
        Window* hit = nullptr;
        for (HWND child : w->children) {
            Window* c = FindLocked(child);
            if (c && c->Visible() && !(c->style & WS_DISABLED) && PtInRect(c->rect, point)) {
                hit = c;
                break;
            }
        }
        if (!hit)
            return w->handle;
        point.x -= hit->rect.left;
        point.y -= hit->rect.top;
        w = hit;
    }
}

HWND WindowFromPoint(POINT screenPoint) {
    HWND top = nullptr;
    POINT local{};
    {
        std::lock_guard lock(RegistryLock());
        for (HWND hwnd : TopLevelOrderLocked()) {
            Window* w = FindLocked(hwnd);
            if (w && w->Visible() && PtInRect(w->rect, screenPoint)) {
                top = hwnd;
                local = POINT{screenPoint.x - w->rect.left, screenPoint.y - w->rect.top};
                break;
            }
        }
    }
    return top ? ChildWindowFromPoint(top, local) : nullptr;
}

}  // namespace platform
