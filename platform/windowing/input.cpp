// Pointer and keyboard input: routing to the window under the pointer or
// with the focus, key states, double clicks, pointer-leave tracking, and
// key-press-to-character translation (a US keyboard layout).
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/base/text_codec.h"
#include "platform/windowing/presenter.h"
#include "platform/windowing/window_registry.h"

namespace platform {
namespace win {
namespace {

struct InputState {
    std::mutex mutex;
    uint8_t keys[256] = {};  // 0x80 down, 0x01 toggled
    POINT cursor;
    HWND hover = nullptr;
    HWND trackedLeave = nullptr;
    HWND lastClickWindow = nullptr;
    MouseButton lastClickButton = MouseButton::Left;
    uint32_t lastClickTime = 0;
    POINT lastClickPoint;
    HWND dragWindow = nullptr;
    POINT dragStartCursor;
    POINT dragStartOrigin;
};

InputState& State() {
    static auto* state = new InputState();
    return *state;
}

constexpr uint32_t kDoubleClickMs = 500;
constexpr int kDoubleClickDistance = 4;

uint8_t ButtonKey(MouseButton button) {
    switch (button) {
        case MouseButton::Right:
            return VK_RBUTTON;
        case MouseButton::Middle:
            return VK_MBUTTON;
        default:
            return VK_LBUTTON;
    }
}

void SetKey(uint8_t* keys, uint8_t vk, bool down) {
    if (down && !(keys[vk] & 0x80))
        keys[vk] ^= 0x01;
    keys[vk] = uint8_t((keys[vk] & 0x01) | (down ? 0x80 : 0));
}

// Side-specific keys also move the generic key.
void SetKeyWithGeneric(uint8_t* keys, uint8_t vk, bool down) {
    SetKey(keys, vk, down);
    switch (vk) {
        case VK_LSHIFT:
        case VK_RSHIFT:
            SetKey(keys, VK_SHIFT, down);
            break;
        case VK_LCONTROL:
        case VK_RCONTROL:
            SetKey(keys, VK_CONTROL, down);
            break;
        case VK_LMENU:
        case VK_RMENU:
            SetKey(keys, VK_MENU, down);
            break;
        default:
            break;
    }
}

WPARAM MouseKeyFlags(const uint8_t* keys) {
    WPARAM flags = 0;
    if (keys[VK_LBUTTON] & 0x80)
        flags |= MK_LBUTTON;
    if (keys[VK_RBUTTON] & 0x80)
        flags |= MK_RBUTTON;
    if (keys[VK_MBUTTON] & 0x80)
        flags |= MK_MBUTTON;
    if (keys[VK_SHIFT] & 0x80)
        flags |= MK_SHIFT;
    if (keys[VK_CONTROL] & 0x80)
        flags |= MK_CONTROL;
    return flags;
}

uint8_t* SynchronousKeys() {
    return CurrentThreadState().keyState;
}

struct KeyChar {
    uint8_t vk;
    char plain;
    char shifted;
};
constexpr KeyChar kKeyChars[] = {
    {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},
    {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
    {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},
    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},     {VK_SPACE, ' ', ' '},
    {VK_RETURN, '\r', '\r'},  {VK_BACK, '\b', '\b'},     {VK_TAB, '\t', '\t'},
    {VK_ESCAPE, 27, 27},      {VK_MULTIPLY, '*', '*'},   {VK_ADD, '+', '+'},
    {VK_SUBTRACT, '-', '-'},  {VK_DECIMAL, '.', '.'},    {VK_DIVIDE, '/', '/'},
};
constexpr const char* kShiftedDigits = ")!@#$%^&*(";

// The character a key makes with the given modifier state, or 0.
int CharacterFor(uint8_t vk, bool shift, bool control, bool capsLock) {
    if (vk >= 'A' && vk <= 'Z') {
        if (control)
            return vk - 'A' + 1;
        bool upper = shift != capsLock;
        return upper ? vk : vk + ('a' - 'A');
    }
    if (control)
        return 0;
    if (vk >= '0' && vk <= '9')
        return shift ? kShiftedDigits[vk - '0'] : vk;
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return '0' + (vk - VK_NUMPAD0);
    for (const KeyChar& k : kKeyChars) {
        if (k.vk == vk)
            return shift ? k.shifted : k.plain;
    }
    return 0;
}

// The key (and whether Shift is needed) that types an ASCII character.
bool KeyForCharacter(char c, uint8_t* vk, bool* shift) {
    if (c >= 'a' && c <= 'z') {
        *vk = uint8_t(c - 'a' + 'A');
        *shift = false;
        return true;
    }
    if (c >= 'A' && c <= 'Z') {
        *vk = uint8_t(c);
        *shift = true;
        return true;
    }
    if (c >= '0' && c <= '9') {
        *vk = uint8_t(c);
        *shift = false;
        return true;
    }
    for (int d = 0; d < 10; ++d) {
        if (kShiftedDigits[d] == c) {
            *vk = uint8_t('0' + d);
            *shift = true;
            return true;
        }
    }
    if (c == '\n')
        c = '\r';
    for (const KeyChar& k : kKeyChars) {
        if (k.vk >= VK_MULTIPLY && k.vk <= VK_DIVIDE)
            continue;
        if (k.plain == c || k.shifted == c) {
            *vk = k.vk;
            *shift = k.plain != c;
            return true;
        }
    }
    return false;
}

HWND KeyboardTarget() {
    HWND target = GetFocus();
    if (!target)
        target = GetActiveWindow();
    if (!target)
        target = GetForegroundWindow();
    return target;
}

}  // namespace

void ForgetInputWindow(HWND hwnd) {
    InputState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.hover == hwnd)
        s.hover = nullptr;
    if (s.trackedLeave == hwnd)
        s.trackedLeave = nullptr;
    if (s.lastClickWindow == hwnd)
        s.lastClickWindow = nullptr;
    if (s.dragWindow == hwnd)
        s.dragWindow = nullptr;
}

void NoteSynchronousKey(const MSG& msg) {
    uint8_t* keys = SynchronousKeys();
    switch (msg.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            SetKeyWithGeneric(keys, uint8_t(msg.wParam), true);
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            SetKeyWithGeneric(keys, uint8_t(msg.wParam), false);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetKey(keys, VK_LBUTTON, true);
            break;
        case WM_LBUTTONUP:
            SetKey(keys, VK_LBUTTON, false);
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            SetKey(keys, VK_RBUTTON, true);
            break;
        case WM_RBUTTONUP:
            SetKey(keys, VK_RBUTTON, false);
            break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            SetKey(keys, VK_MBUTTON, true);
            break;
        case WM_MBUTTONUP:
            SetKey(keys, VK_MBUTTON, false);
            break;
        default:
            break;
    }
}

void BeginCaptionDrag(HWND topLevel) {
    RECT rect;
    if (!GetWindowRect(topLevel, &rect) || !(GetAsyncKeyState(VK_LBUTTON) & 0x8000))
        return;
    {
        InputState& s = State();
        std::lock_guard lock(s.mutex);
        s.dragWindow = topLevel;
        s.dragStartCursor = s.cursor;
        s.dragStartOrigin = POINT{rect.left, rect.top};
    }
    SetCapture(topLevel);
}

namespace {

// While a caption drag runs, pointer input moves the window instead of
// reaching it. Answers whether the event was used so.
bool DragWithPointer(HWND topLevel, POINT screen, PointerEvent event, MouseButton button) {
    InputState& s = State();
    POINT origin;
    {
        std::lock_guard lock(s.mutex);
        if (s.dragWindow != topLevel)
            return false;
        s.cursor = screen;
        if (event == PointerEvent::Up && button == MouseButton::Left) {
            SetKey(s.keys, VK_LBUTTON, false);
            s.dragWindow = nullptr;
        } else if (event != PointerEvent::Move) {
            return true;
        }
        origin = POINT{s.dragStartOrigin.x + screen.x - s.dragStartCursor.x,
                       s.dragStartOrigin.y + screen.y - s.dragStartCursor.y};
    }
    if (event == PointerEvent::Up) {
        ReleaseCapture();
    } else {
        SetWindowPos(topLevel, nullptr, origin.x, origin.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

}  // namespace

void RoutePointer(HWND topLevel, int x, int y, PointerEvent event, MouseButton button,
                  int wheelDelta, int) {
    POINT screen{x, y};
    if (!ClientToScreen(topLevel, &screen))
        return;
    if (DragWithPointer(topLevel, screen, event, button))
        return;
    // A window under a modal dialog takes no pointer input; pressing on it
    // brings the dialog forward.
    if (!TakesInput(topLevel)) {
        if (event == PointerEvent::Down) {
            if (HWND dialog = EnabledOwnedPopup(topLevel))
                PresenterRaise(dialog);
        }
        return;
    }
    HWND target = GetCapture();
    if (!target || GetAncestor(target, GA_ROOT) != topLevel) {
        target = ChildWindowFromPoint(topLevel, POINT{x, y});
    }
    if (!target)
        return;
    POINT local = screen;
    ScreenToClient(target, &local);
    InputState& s = State();
    HWND leaving = nullptr;
    uint32_t message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = MAKELPARAM(local.x, local.y);
    {
        std::lock_guard lock(s.mutex);
        s.cursor = screen;
        if (event == PointerEvent::Move && s.hover != target) {
            if (s.trackedLeave && s.trackedLeave == s.hover) {
                leaving = s.trackedLeave;
                s.trackedLeave = nullptr;
            }
            s.hover = target;
        }
        uint8_t key = ButtonKey(button);
        int base = button == MouseButton::Left    ? WM_LBUTTONDOWN
                   : button == MouseButton::Right ? WM_RBUTTONDOWN
                                                  : WM_MBUTTONDOWN;
        switch (event) {
            case PointerEvent::Move:
                message = WM_MOUSEMOVE;
                break;
            case PointerEvent::Down: {
                SetKey(s.keys, key, true);
                uint32_t now = GetTickCount();
                bool doubleClick = false;
                {
                    std::lock_guard registry(RegistryLock());
                    Window* w = FindLocked(target);
                    doubleClick = w && (w->windowClass->info.style & CS_DBLCLKS) &&
                                  s.lastClickWindow == target && s.lastClickButton == button &&
                                  now - s.lastClickTime <= kDoubleClickMs &&
                                  std::abs(s.lastClickPoint.x - screen.x) <= kDoubleClickDistance &&
                                  std::abs(s.lastClickPoint.y - screen.y) <= kDoubleClickDistance;
                }
                message = uint32_t(doubleClick ? base + 2 : base);
                s.lastClickWindow = doubleClick ? nullptr : target;
                s.lastClickButton = button;
                s.lastClickTime = now;
                s.lastClickPoint = screen;
                break;
            }
            case PointerEvent::Up:
                SetKey(s.keys, key, false);
                message = uint32_t(base + 1);
                break;
            case PointerEvent::Wheel:
                message = WM_MOUSEWHEEL;
                lParam = MAKELPARAM(screen.x, screen.y);
                break;
        }
        wParam = MouseKeyFlags(s.keys);
        if (event == PointerEvent::Wheel) {
            wParam |= WPARAM(uint16_t(int16_t(wheelDelta))) << 16;
        }
    }
    if (leaving)
        DeliverInput(leaving, WM_MOUSELEAVE, 0, 0, screen);
    if (event == PointerEvent::Wheel) {
        // The wheel goes to the focus when it is in this window.
        HWND focus = GetFocus();
        if (focus && GetAncestor(focus, GA_ROOT) == topLevel)
            target = focus;
    }
    if (event == PointerEvent::Down) {
        HWND root = GetAncestor(target, GA_ROOT);
        if (root && GetActiveWindow() != root) {
            std::lock_guard lock(RegistryLock());
            Window* w = FindLocked(root);
            if (w && w->thread == GetCurrentThreadId()) {
                // Activation is sent after the lock is left.
            } else {
                root = nullptr;
            }
        } else {
            root = nullptr;
        }
        if (root)
            SetActiveWindow(root);
    }
    DeliverInput(target, message, wParam, lParam, screen);
}

void RoutePointerLeave(HWND topLevel) {
    InputState& s = State();
    HWND leaving = nullptr;
    {
        std::lock_guard lock(s.mutex);
        if (s.hover && GetAncestor(s.hover, GA_ROOT) == topLevel) {
            if (s.trackedLeave == s.hover) {
                leaving = s.trackedLeave;
                s.trackedLeave = nullptr;
            }
            s.hover = nullptr;
        }
    }
    if (leaving)
        DeliverInput(leaving, WM_MOUSELEAVE, 0, 0, POINT{});
}

void RouteKey(uint8_t vk, bool down, bool repeat) {
    InputState& s = State();
    bool wasDown, alt, control;
    POINT cursor;
    {
        std::lock_guard lock(s.mutex);
        wasDown = s.keys[vk] & 0x80;
        SetKeyWithGeneric(s.keys, vk, down);
        alt = s.keys[VK_MENU] & 0x80;
        control = s.keys[VK_CONTROL] & 0x80;
        cursor = s.cursor;
    }
    HWND target = KeyboardTarget();
    if (!target || !TakesInput(target))
        return;
    bool system = (alt && !control) || vk == VK_F10 || vk == VK_MENU;
    uint32_t message =
        down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    uint32_t bits = 1;
    if (alt)
        bits |= 1u << 29;
    if (down ? (wasDown || repeat) : true)
        bits |= 1u << 30;
    if (!down)
        bits |= 1u << 31;
    DeliverInput(target, message, vk, LPARAM(int32_t(bits)), cursor);
}

void RouteCharacterBytes(std::string_view runtimeBytes) {
    HWND target = KeyboardTarget();
    if (!target || !TakesInput(target))
        return;
    POINT cursor;
    GetCursorPos(&cursor);
    for (unsigned char byte : runtimeBytes)
        DeliverInput(target, WM_CHAR, byte, 1, cursor);
}

}  // namespace win

using namespace win;

bool TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return false;
    NoteSynchronousKey(*msg);
    const uint8_t* keys = SynchronousKeys();
    bool alt = keys[VK_MENU] & 0x80;
    bool control = (keys[VK_CONTROL] & 0x80) && !alt;
    int ch =
        CharacterFor(uint8_t(msg->wParam), keys[VK_SHIFT] & 0x80, control, keys[VK_CAPITAL] & 0x01);
    if (!ch)
        return false;
    uint32_t message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    return PostMessage(msg->hwnd, message, WPARAM(ch), msg->lParam);
}

int16_t GetKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    uint8_t k = SynchronousKeys()[virtualKey];
    return int16_t(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

int16_t GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    InputState& s = State();
    std::lock_guard lock(s.mutex);
    return int16_t((s.keys[virtualKey] & 0x80) ? 0x8000 : 0);
}

bool TrackMouseEvent(TRACKMOUSEEVENT* request) {
    if (!request || !IsWindow(request->hwndTrack))
        return false;
    InputState& s = State();
    bool leaveNow = false;
    POINT cursor;
    {
        std::lock_guard lock(s.mutex);
        cursor = s.cursor;
        if (request->dwFlags & TME_CANCEL) {
            if ((request->dwFlags & TME_LEAVE) && s.trackedLeave == request->hwndTrack) {
                s.trackedLeave = nullptr;
            }
            return true;
        }
        if (!(request->dwFlags & TME_LEAVE))
            return true;
        // A pointer already outside gets its leave message at once.
        if (s.hover != request->hwndTrack) {
            leaveNow = true;
        } else {
            s.trackedLeave = request->hwndTrack;
        }
    }
    if (leaveNow)
        DeliverInput(request->hwndTrack, WM_MOUSELEAVE, 0, 0, cursor);
    return true;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN:
            return GetScreenSize().cx;
        case SM_CYSCREEN:
            return GetScreenSize().cy;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVTHUMB:
        case SM_CXHTHUMB:
            return 17;
        case SM_CYCAPTION:
            return 23;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
            return 2 * kDoubleClickDistance;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        default:
            return 0;
    }
}

bool GetCursorPos(POINT* point) {
    if (!point)
        return false;
    InputState& s = State();
    std::lock_guard lock(s.mutex);
    *point = s.cursor;
    return true;
}

namespace {
bool RootPoint(HWND hwnd, int x, int y, HWND* root, POINT* point) {
    *root = GetAncestor(hwnd, GA_ROOT);
    if (!*root)
        return false;
    *point = POINT{x, y};
    MapWindowPoints(hwnd, *root, point, 1);
    return true;
}
}  // namespace

void InjectMouseMove(HWND hwnd, int x, int y) {
    HWND root;
    POINT p;
    if (RootPoint(hwnd, x, y, &root, &p)) {
        RoutePointer(root, p.x, p.y, PointerEvent::Move, MouseButton::Left, 0, 0);
    }
}

void InjectMouseButton(HWND hwnd, int x, int y, MouseButton button, bool down) {
    HWND root;
    POINT p;
    if (RootPoint(hwnd, x, y, &root, &p)) {
        RoutePointer(root, p.x, p.y, down ? PointerEvent::Down : PointerEvent::Up, button, 0, 1);
    }
}

void InjectClick(HWND hwnd, int x, int y) {
    InjectMouseMove(hwnd, x, y);
    InjectMouseButton(hwnd, x, y, MouseButton::Left, true);
    InjectMouseButton(hwnd, x, y, MouseButton::Left, false);
}

void InjectWheel(HWND hwnd, int x, int y, int delta) {
    HWND root;
    POINT p;
    if (RootPoint(hwnd, x, y, &root, &p)) {
        RoutePointer(root, p.x, p.y, PointerEvent::Wheel, MouseButton::Left, delta, 0);
    }
}

void InjectKey(uint8_t virtualKey, bool down) {
    RouteKey(virtualKey, down, false);
}

void InjectText(std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        auto c = static_cast<unsigned char>(utf8[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        length = std::min(length, utf8.size() - i);
        uint8_t vk;
        bool shift;
        if (length == 1 && KeyForCharacter(char(c), &vk, &shift)) {
            bool shiftHeld = GetAsyncKeyState(VK_SHIFT) & 0x8000;
            if (shift && !shiftHeld)
                RouteKey(VK_SHIFT, true, false);
            RouteKey(vk, true, false);
            RouteKey(vk, false, false);
            if (shift && !shiftHeld)
                RouteKey(VK_SHIFT, false, false);
        } else {
            RouteCharacterBytes(Utf8ToRuntime(utf8.substr(i, length)));
        }
        i += length;
    }
}

void InjectPointerLeave(HWND topLevel) {
    RoutePointerLeave(topLevel);
}

}  // namespace platform
