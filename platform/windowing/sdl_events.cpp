// Display events, read on the display thread and carried out on the thread
// of the window they concern: input becomes that thread's input messages,
// the window manager's changes (focus, moves, sizes, close) become that
// thread's calls, so every window procedure still runs on its own thread.
#include <SDL.h>

#include <atomic>
#include <mutex>
#include <string>

#include "platform/base/text_codec.h"
#include "platform/windowing/presenter.h"
#include "platform/windowing/sdl_display.h"
#include "platform/windowing/sdl_keys.h"

namespace platform {
namespace {
std::atomic<DisplayDropHandler> g_dropHandler{nullptr};
}  // namespace

void SetDisplayDropHandler(DisplayDropHandler handler) {
    g_dropHandler.store(handler);
}

}  // namespace platform

namespace platform::win::sdl {
namespace {

// The window that last gained the keyboard, for key events that name none.
// Display thread only.
HWND g_keyboardWindow = nullptr;

void ToOwner(HWND hwnd, std::function<void()> event) {
    if (ThreadId thread = ThreadOf(hwnd))
        QueueDisplayEvent(thread, std::move(event));
}

// A disabled window has a modal dialog open over it: the dialog comes
// forward instead.
void ActivateOrShowDialog(HWND hwnd) {
    if (!IsWindow(hwnd))
        return;
    if (TakesInput(hwnd)) {
        SetActiveWindow(hwnd);
    } else if (HWND dialog = EnabledOwnedPopup(hwnd)) {
        PresenterRaise(dialog);
    }
}

void HandleWindowEvent(const SDL_WindowEvent& e) {
    HWND hwnd = WindowFor(e.windowID);
    if (!hwnd)
        return;
    int a = e.data1, b = e.data2;
    switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE:
            // The window manager's close button; a window under a modal
            // dialog cannot be closed.
            ToOwner(hwnd, [hwnd] {
                if (TakesInput(hwnd)) {
                    PostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
                } else {
                    ActivateOrShowDialog(hwnd);
                }
            });
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            g_keyboardWindow = hwnd;
            ToOwner(hwnd, [hwnd] {
                DisplayChangeScope scope(hwnd);
                ActivateOrShowDialog(hwnd);
            });
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (g_keyboardWindow == hwnd)
                g_keyboardWindow = nullptr;
            ToOwner(hwnd, [hwnd] {
                if (GetActiveWindow() == hwnd)
                    SetActiveWindow(nullptr);
            });
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            ToOwner(hwnd, [hwnd, a, b] {
                DisplayChangeScope scope(hwnd);
                SetWindowPos(hwnd, nullptr, 0, 0, a, b, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            });
            break;
        case SDL_WINDOWEVENT_MOVED:
            ToOwner(hwnd, [hwnd, a, b] {
                DisplayChangeScope scope(hwnd);
                SetWindowPos(hwnd, nullptr, a, b, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            });
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            MarkDirty(hwnd);
            break;
        case SDL_WINDOWEVENT_LEAVE:
            ToOwner(hwnd, [hwnd] { RoutePointerLeave(hwnd); });
            break;
        default:
            break;
    }
}

void RoutePointerLater(uint32_t sdlId, int x, int y, PointerEvent event, MouseButton button,
                       int wheelDelta, int clicks) {
    if (HWND hwnd = WindowFor(sdlId)) {
        ToOwner(hwnd, [=] { RoutePointer(hwnd, x, y, event, button, wheelDelta, clicks); });
    }
}

// The keyboard's window: the one SDL names, else the one that last gained
// the keyboard.
HWND KeyboardWindow(uint32_t sdlId) {
    HWND hwnd = WindowFor(sdlId);
    return hwnd ? hwnd : g_keyboardWindow;
}

// Hands one drop event to the drag-and-drop layer on the window's thread;
// that layer gathers the items of a drop between its begin and complete
// events.
void RouteDrop(const SDL_DropEvent& drop) {
    int event = drop.type == SDL_DROPBEGIN  ? 0
                : drop.type == SDL_DROPFILE ? 1
                : drop.type == SDL_DROPTEXT ? 2
                                            : 3;
    std::string item = drop.file ? drop.file : "";
    if (drop.file)
        SDL_free(drop.file);
    DisplayDropHandler handler = g_dropHandler.load();
    HWND hwnd = WindowFor(drop.windowID);
    if (!handler || !hwnd)
        return;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    ToOwner(hwnd, [=] { handler(hwnd, event, item.c_str(), x, y); });
}

void HandleEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_WINDOWEVENT:
            HandleWindowEvent(e.window);
            break;
        case SDL_MOUSEMOTION:
            RoutePointerLater(e.motion.windowID, e.motion.x, e.motion.y, PointerEvent::Move,
                              MouseButton::Left, 0, 0);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            RoutePointerLater(e.button.windowID, e.button.x, e.button.y,
                              e.type == SDL_MOUSEBUTTONDOWN ? PointerEvent::Down : PointerEvent::Up,
                              ButtonOf(e.button.button), 0, e.button.clicks);
            break;
        case SDL_MOUSEWHEEL: {
            int x, y;
            SDL_GetMouseState(&x, &y);
            int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            RoutePointerLater(e.wheel.windowID, x, y, PointerEvent::Wheel, MouseButton::Left,
                              notches * WHEEL_DELTA, 0);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            uint8_t vk = VirtualKey(e.key.keysym.sym);
            HWND hwnd = KeyboardWindow(e.key.windowID);
            if (vk && hwnd) {
                bool down = e.type == SDL_KEYDOWN, repeat = e.key.repeat != 0;
                ToOwner(hwnd, [vk, down, repeat] { RouteKey(vk, down, repeat); });
            }
            break;
        }
        case SDL_TEXTINPUT: {
            // Plain keyboard characters come from key translation; others
            // (composed, non-Latin) arrive as runtime bytes.
            std::string_view text(e.text.text);
            bool ascii = true;
            for (unsigned char c : text)
                ascii = ascii && c < 0x80;
            HWND hwnd = KeyboardWindow(e.text.windowID);
            if (!ascii && hwnd) {
                ToOwner(hwnd, [bytes = Utf8ToRuntime(text)] { RouteCharacterBytes(bytes); });
            }
            break;
        }
        case SDL_DROPBEGIN:
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
        case SDL_DROPCOMPLETE:
            RouteDrop(e.drop);
            break;
        default:
            break;
    }
}

}  // namespace

// Held while events are taken from SDL and handed on, so that an event is
// either still in SDL's queue or already on its way to its thread.
std::mutex& DispatchMutex() {
    static auto* mutex = new std::mutex();
    return *mutex;
}

void PumpEvents() {
    std::lock_guard lock(DispatchMutex());
    SDL_Event e;
    while (SDL_PollEvent(&e))
        HandleEvent(e);
}

bool EventsWaiting() {
    std::lock_guard lock(DispatchMutex());
    // The display's own wakes (user events) and SDL's poll marker do not
    // count.
    return SDL_HasEvents(SDL_FIRSTEVENT, SDL_POLLSENTINEL - 1) == SDL_TRUE;
}

}  // namespace platform::win::sdl
