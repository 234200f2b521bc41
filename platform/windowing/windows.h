// Windows and messages: classes, creation and destruction, window
// procedures and their chaining, hooks, sending and posting, focus,
// capture, painting, timers, properties and enumeration. Messages are
// queued on the per-thread queues of platform/messages; a window belongs to
// the thread that created it and its procedure always runs there.
//
// Texts given as `const char*` are runtime texts (GB18030) and are kept as
// given; they are converted only where they leave the process (window
// titles on the display, fonts).
#pragma once

#include <string>
#include <string_view>

#include "platform/graphics/gdi.h"
#include "platform/graphics/gdi_text.h"
#include "platform/windowing/window_types.h"

namespace platform {

// ---- Classes ----
// Answers a non-zero class atom, 0 when the name is taken or missing.
// Class names compare without regard to letter case.
uint16_t RegisterClass(const WNDCLASS* windowClass);
// The class of a program's own plain windows: `proc` on a background of the
// system colour `backgroundColour` (COLOR_WINDOW, COLOR_BTNFACE), made the
// first time any thread asks for it. Answers whether the class exists with
// that procedure.
bool EnsureWindowClass(const char* className, WNDPROC proc, int backgroundColour);
bool UnregisterClass(const char* className, void* instance);
bool GetClassInfo(void* instance, const char* className, WNDCLASS* out);
// Copies the class name (zero-terminated, cut to fit); answers its length.
int GetClassName(HWND hwnd, char* buffer, int size);
HBRUSH GetClassBackground(HWND hwnd);

// ---- Creation and destruction ----
HWND CreateWindowEx(uint32_t exStyle, const char* className, const char* windowName, uint32_t style,
                    int x, int y, int width, int height, HWND parent, void* menuOrId,
                    void* instance, void* param);
// Only the window's own thread may destroy it. Sequence: WM_DESTROY to the
// window, then to each descendant (parents first); WM_NCDESTROY to the
// descendants (children first) and last to the window.
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);

// ---- Procedures, hooks, messages ----
LRESULT DefWindowProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam);
// Runs the window procedure on the window's thread and answers its result;
// 0 for a window that does not exist.
LRESULT SendMessage(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam);
// A null window posts to the calling thread.
bool PostMessage(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam);
LRESULT DispatchMessage(const MSG* msg);
// Posts WM_CHAR (WM_SYSCHAR) for a key-down (system key-down) that makes a
// character; answers whether one was posted.
bool TranslateMessage(const MSG* msg);
// The default procedure of a program's main window: DefWindowProc, except
// that the window's WM_DESTROY ends the thread's message loop, so that
// closing the window ends the program.
LRESULT MainWindowProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam);
// A program's message loop: translates and dispatches the thread's messages
// until WM_QUIT (or an error), and answers the quit message's exit code.
int RunMessageLoop();
// Installs a hook for the calling thread (thread 0 or the caller's id only).
HHOOK SetWindowsHookEx(int type, HOOKPROC proc, void* module, ThreadId thread);
bool UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
// Whether the calling thread is inside a send from another thread.
bool InSendMessage();

// ---- Window words, text, properties ----
intptr_t GetWindowLongPtr(HWND hwnd, int index);
intptr_t SetWindowLongPtr(HWND hwnd, int index, intptr_t value);
int32_t GetWindowLong(HWND hwnd, int index);
int32_t SetWindowLong(HWND hwnd, int index, int32_t value);
bool SetWindowText(HWND hwnd, const char* text);
int GetWindowText(HWND hwnd, char* buffer, int size);
int GetWindowTextLength(HWND hwnd);
// Property names compare without regard to letter case.
bool SetProp(HWND hwnd, const char* name, void* value);
void* GetProp(HWND hwnd, const char* name);
void* RemoveProp(HWND hwnd, const char* name);

// ---- Relations and enumeration ----
HWND GetParent(HWND hwnd);
HWND GetAncestor(HWND hwnd, uint32_t flags);
HWND GetWindow(HWND hwnd, uint32_t relation);
bool IsChild(HWND parent, HWND hwnd);
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND hwnd);
ThreadId GetWindowThreadProcessId(HWND hwnd, uint32_t* processId);
// Top-level windows, most recently activated first.
bool EnumWindows(WNDENUMPROC proc, LPARAM lParam);
bool EnumThreadWindows(ThreadId thread, WNDENUMPROC proc, LPARAM lParam);
// Every descendant, depth first, in z-order.
bool EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam);

// ---- Showing, enabling, focus, activation, capture ----
bool ShowWindow(HWND hwnd, int command);
bool IsWindowVisible(HWND hwnd);
bool EnableWindow(HWND hwnd, bool enable);
bool IsWindowEnabled(HWND hwnd);
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
bool SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();
// Key state as of the last key message the thread took (high bit: down,
// low bit: toggled); the asynchronous form reads the keyboard now.
int16_t GetKeyState(int virtualKey);
int16_t GetAsyncKeyState(int virtualKey);
bool TrackMouseEvent(TRACKMOUSEEVENT* request);
bool GetCursorPos(POINT* point);

// ---- Geometry ----
bool GetClientRect(HWND hwnd, RECT* rect);
bool GetWindowRect(HWND hwnd, RECT* rect);
bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint);
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, uint32_t flags);
bool ClientToScreen(HWND hwnd, POINT* point);
bool ScreenToClient(HWND hwnd, POINT* point);
int MapWindowPoints(HWND from, HWND to, POINT* points, unsigned count);
HWND WindowFromPoint(POINT screenPoint);
HWND ChildWindowFromPoint(HWND parent, POINT clientPoint);

// ---- System metrics ----
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CYVTHUMB = 9;
inline constexpr int SM_CXHTHUMB = 10;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXDOUBLECLK = 36;
inline constexpr int SM_CYDOUBLECLK = 37;
inline constexpr int SM_CXEDGE = 45;
inline constexpr int SM_CYEDGE = 46;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
int GetSystemMetrics(int index);

// ---- Painting ----
bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase);
bool ValidateRect(HWND hwnd, const RECT* rect);
bool GetUpdateRect(HWND hwnd, RECT* rect, bool erase);
bool UpdateWindow(HWND hwnd);
bool RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, uint32_t flags);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
bool EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
// A null window gives a context of the screen (for compatible objects).
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);

// ---- Timers ----
uintptr_t SetTimer(HWND hwnd, uintptr_t id, uint32_t elapseMs, TIMERPROC proc);
bool KillTimer(HWND hwnd, uintptr_t id);

// ---- Presentation ----
enum class PresentationMode {
    Automatic,  // a real display when DISPLAY or WAYLAND_DISPLAY is set,
                // unless PICBATCH_HEADLESS is set (and not "0")
    Memory,     // windows live in memory only; input is injected
    Display,    // real windows through SDL2
};
// Takes effect for top-level windows created afterwards; answers the mode
// in force (Display falls back to Memory when no display can be opened).
PresentationMode SetPresentationMode(PresentationMode mode);
PresentationMode CurrentPresentationMode();
// The window with its visible children, as on screen, written as a PNG.
bool SaveWindowScreenshot(HWND hwnd, const std::string& utf8Path, std::string* error);

// Files and text dropped on a display window by another program. The
// drag-and-drop layer installs its handler here (the window layer cannot
// depend on it). Events: 0 begin, 1 a file, 2 a text, 3 complete; `utf8` is
// the path or text, (x, y) the pointer in the top-level window's client area.
using DisplayDropHandler = void (*)(HWND topLevel, int event, const char* utf8, int x, int y);
void SetDisplayDropHandler(DisplayDropHandler handler);
// The composed pixels of a window (its caller deletes the bitmap).
HBITMAP CaptureWindow(HWND hwnd);

// ---- Injected input (both modes), at client coordinates of `hwnd` ----
enum class MouseButton { Left, Right, Middle };
void InjectMouseMove(HWND hwnd, int x, int y);
void InjectMouseButton(HWND hwnd, int x, int y, MouseButton button, bool down);
void InjectClick(HWND hwnd, int x, int y);
void InjectWheel(HWND hwnd, int x, int y, int delta);
void InjectKey(uint8_t virtualKey, bool down);
// Types UTF-8 text as key presses (characters outside the keyboard arrive
// as WM_CHAR bytes of the runtime text).
void InjectText(std::string_view utf8);
// The pointer left the top-level window (display focus lost, pointer out).
void InjectPointerLeave(HWND topLevel);

}  // namespace platform
