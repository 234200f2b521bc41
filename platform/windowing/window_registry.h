// Internal: the table of windows and classes. Windows are found by handle
// under the registry lock; the lock is never held while a window procedure,
// hook or timer routine runs, and a window may be gone after any such call,
// so callers look it up again afterwards.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/windowing/windows.h"

namespace platform::win {

struct WindowClass {
    uint16_t atom = 0;
    std::string name;  // as registered
    WNDCLASS info;
};

struct Window {
    HWND handle = nullptr;
    ThreadId thread = 0;
    std::shared_ptr<WindowClass> windowClass;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    WNDPROC proc = nullptr;
    HWND parent = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> children;  // z-order, top first
    intptr_t id = 0;
    intptr_t userData = 0;
    void* instance = nullptr;
    std::vector<uint8_t> extra;
    std::string text;  // runtime text
    RECT rect;         // in parent client coordinates (screen for top-level)
    RECT update;
    bool erasePending = false;
    bool framePending = false;
    bool internalPaint = false;
    bool destroying = false;
    bool trackLeave = false;
    HBITMAP surface = nullptr;
    std::vector<HBITMAP> retiredSurfaces;
    std::map<std::string, void*> properties;  // upper-cased names

    int Width() const { return rect.right - rect.left; }
    int Height() const { return rect.bottom - rect.top; }
    bool Visible() const { return style & WS_VISIBLE; }
    bool IsChildWindow() const { return (style & WS_CHILD) && parent; }
};

std::mutex& RegistryLock();
// Lookups need the lock held.
Window* FindLocked(HWND hwnd);
std::vector<HWND>& TopLevelOrderLocked();  // most recently activated first
HWND AddWindowLocked(std::unique_ptr<Window> window);
void RemoveWindowLocked(HWND hwnd);
std::shared_ptr<WindowClass> FindClassLocked(const std::string& name);
std::string UpperCase(std::string_view text);

// The top-level window a window sits in (itself for a top-level window).
HWND RootLocked(HWND hwnd);
// Pre-order list of a window's descendants (not the window itself).
void CollectDescendantsLocked(HWND hwnd, std::vector<HWND>& out);
bool IsSelfOrDescendantLocked(HWND ancestor, HWND hwnd);
// Moves a window among its siblings: HWND_TOP, HWND_BOTTOM or after a
// sibling. Top-level windows with WS_EX_TOPMOST stay ahead of the others,
// whatever the request.
void PlaceInZOrderLocked(HWND hwnd, HWND insertAfter);
// The thread a window belongs to (0 for no window).
ThreadId ThreadOf(HWND hwnd);
// Offset of a window's client origin on the screen.
POINT ScreenOriginLocked(const Window& w);

// Calls into a window procedure with the calling thread's hooks; the
// window must belong to the calling thread.
LRESULT SendLocalMessage(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam);

// The calling thread's hooks of one type.
bool HasThreadHooks(int type);
LRESULT CallThreadHooks(int type, int code, WPARAM wParam, LPARAM lParam);

// Per-thread window state.
struct ThreadState {
    HWND focus = nullptr;
    HWND active = nullptr;
    int sendDepthFromOthers = 0;
    uint8_t keyState[256] = {};
};
ThreadState& CurrentThreadState();
// Makes sure the calling thread's queue generates paint and timer messages
// and pumps the display.
void EnsureThreadSource();

// Paint bookkeeping, implemented by the painting module.
void InvalidateTree(HWND hwnd);
void CreateSurfaceLocked(Window& w);
void ResizeSurfaceLocked(Window& w);
void ReleaseSurfacesLocked(Window& w);
void MarkDirty(HWND hwnd);
// A window of the calling thread that wants WM_PAINT, matching a filter.
HWND FindWindowToPaint(HWND filter);
// Queues input for a window: on the window's thread's input queue when
// that is the calling thread, else posted to it.
void DeliverInput(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam, POINT screen);
// Timers, implemented by the thread source.
void KillWindowTimers(HWND hwnd);
// Runs `event` on `thread` at its next peek or get (dropped when the thread
// has ended). The display hands a window's input to its thread this way.
void QueueDisplayEvent(ThreadId thread, std::function<void()> event);
// While alive, changes to `topLevel` on the calling thread come from the
// display itself (the window manager moved it, gave it the keyboard) and
// are not sent back to it.
class DisplayChangeScope {
public:
    explicit DisplayChangeScope(HWND topLevel);
    ~DisplayChangeScope();
    DisplayChangeScope(const DisplayChangeScope&) = delete;
    DisplayChangeScope& operator=(const DisplayChangeScope&) = delete;

private:
    HWND previous_;
};
bool FollowingDisplay(HWND topLevel);

// Activation, implemented by the activation module.
void ForgetForegroundWindow(HWND hwnd);
// Whether input may reach a window: it and its top-level window are enabled.
bool TakesInput(HWND hwnd);
// The newest visible, enabled window owned by a top-level window (its open
// dialog), or null.
HWND EnabledOwnedPopup(HWND owner);

// Capture and pointer tracking, implemented by the input module.
void ForgetInputWindow(HWND hwnd);
// Moves a top-level window with the pointer until the left button is
// released (a press on the caption, or anywhere when a window asks so).
void BeginCaptionDrag(HWND topLevel);
void NoteSynchronousKey(const MSG& msg);

}  // namespace platform::win
