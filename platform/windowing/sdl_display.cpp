#include "platform/windowing/sdl_display.h"

#include <SDL.h>

#include <atomic>
#include <map>

#include "platform/base/text_codec.h"
#include "platform/windowing/presenter.h"

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

// Display state belongs to the display thread only.
std::map<HWND, SDL_Window*> g_windows;
bool g_applyingDisplayChange = false;

HWND WindowFor(uint32_t sdlId) {
    SDL_Window* target = SDL_GetWindowFromID(sdlId);
    for (auto& [hwnd, window] : g_windows) {
        if (window == target)
            return hwnd;
    }
    return nullptr;
}

uint8_t VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z)
        return uint8_t('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return uint8_t('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return uint8_t(VK_F1 + (key - SDLK_F1));
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return uint8_t(VK_NUMPAD0 + 1 + (key - SDLK_KP_1));
    switch (key) {
        case SDLK_KP_0:
            return VK_NUMPAD0;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_INSERT:
            return VK_INSERT;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_END:
            return VK_END;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT:
            return VK_MENU;
        case SDLK_CAPSLOCK:
            return VK_CAPITAL;
        case SDLK_NUMLOCKCLEAR:
            return VK_NUMLOCK;
        case SDLK_PAUSE:
            return VK_PAUSE;
        case SDLK_KP_MULTIPLY:
            return VK_MULTIPLY;
        case SDLK_KP_PLUS:
            return VK_ADD;
        case SDLK_KP_MINUS:
            return VK_SUBTRACT;
        case SDLK_KP_PERIOD:
            return VK_DECIMAL;
        case SDLK_KP_DIVIDE:
            return VK_DIVIDE;
        case SDLK_SEMICOLON:
            return VK_OEM_1;
        case SDLK_EQUALS:
            return VK_OEM_PLUS;
        case SDLK_COMMA:
            return VK_OEM_COMMA;
        case SDLK_MINUS:
            return VK_OEM_MINUS;
        case SDLK_PERIOD:
            return VK_OEM_PERIOD;
        case SDLK_SLASH:
            return VK_OEM_2;
        case SDLK_BACKQUOTE:
            return VK_OEM_3;
        case SDLK_LEFTBRACKET:
            return VK_OEM_4;
        case SDLK_BACKSLASH:
            return VK_OEM_5;
        case SDLK_RIGHTBRACKET:
            return VK_OEM_6;
        case SDLK_QUOTE:
            return VK_OEM_7;
        default:
            return 0;
    }
}

MouseButton ButtonOf(uint8_t sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_RIGHT:
            return MouseButton::Right;
        case SDL_BUTTON_MIDDLE:
            return MouseButton::Middle;
        default:
            return MouseButton::Left;
    }
}

void HandleWindowEvent(const SDL_WindowEvent& e) {
    HWND hwnd = WindowFor(e.windowID);
    if (!hwnd)
        return;
    switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE:
            PostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            SetActiveWindow(hwnd);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (GetActiveWindow() == hwnd)
                SetActiveWindow(nullptr);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            g_applyingDisplayChange = true;
            SetWindowPos(hwnd, nullptr, 0, 0, e.data1, e.data2,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            g_applyingDisplayChange = false;
            break;
        case SDL_WINDOWEVENT_MOVED:
            g_applyingDisplayChange = true;
            SetWindowPos(hwnd, nullptr, e.data1, e.data2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            g_applyingDisplayChange = false;
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            MarkDirty(hwnd);
            break;
        case SDL_WINDOWEVENT_LEAVE:
            RoutePointerLeave(hwnd);
            break;
        default:
            break;
    }
}

}  // namespace

bool Open() {
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0)
        SetScreenSize(mode.w, mode.h);
    SDL_StartTextInput();
    return true;
}

void CreateFor(HWND topLevel, const RECT& rect, const std::string& utf8Title, bool resizable) {
    uint32_t flags = SDL_WINDOW_HIDDEN | (resizable ? SDL_WINDOW_RESIZABLE : 0);
    SDL_Window* window = SDL_CreateWindow(utf8Title.c_str(), rect.left, rect.top,
                                          std::max(1, int(rect.right - rect.left)),
                                          std::max(1, int(rect.bottom - rect.top)), flags);
    if (window)
        g_windows[topLevel] = window;
}

void DestroyFor(HWND topLevel) {
    auto it = g_windows.find(topLevel);
    if (it == g_windows.end())
        return;
    SDL_DestroyWindow(it->second);
    g_windows.erase(it);
}

void Show(HWND topLevel, bool visible) {
    auto it = g_windows.find(topLevel);
    if (it == g_windows.end())
        return;
    if (visible) {
        SDL_ShowWindow(it->second);
        Present(topLevel);
    } else {
        SDL_HideWindow(it->second);
    }
}

void Place(HWND topLevel, const RECT& rect) {
    auto it = g_windows.find(topLevel);
    if (it == g_windows.end() || g_applyingDisplayChange)
        return;
    SDL_SetWindowPosition(it->second, rect.left, rect.top);
    SDL_SetWindowSize(it->second, std::max(1, int(rect.right - rect.left)),
                      std::max(1, int(rect.bottom - rect.top)));
}

void Retitle(HWND topLevel, const std::string& utf8Title) {
    auto it = g_windows.find(topLevel);
    if (it != g_windows.end())
        SDL_SetWindowTitle(it->second, utf8Title.c_str());
}

std::vector<HWND> Windows() {
    std::vector<HWND> out;
    for (auto& [hwnd, window] : g_windows)
        out.push_back(hwnd);
    return out;
}

// Hands one drop event to the drag-and-drop layer, which gathers the
// items of a drop between its begin and complete events.
static void RouteDrop(const SDL_DropEvent& drop) {
    int event = drop.type == SDL_DROPBEGIN  ? 0
                : drop.type == SDL_DROPFILE ? 1
                : drop.type == SDL_DROPTEXT ? 2
                                            : 3;
    DisplayDropHandler handler = g_dropHandler.load();
    HWND hwnd = WindowFor(drop.windowID);
    if (handler && hwnd) {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        handler(hwnd, event, drop.file ? drop.file : "", x, y);
    }
    if (drop.file)
        SDL_free(drop.file);
}

void PumpEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_WINDOWEVENT:
                HandleWindowEvent(e.window);
                break;
            case SDL_MOUSEMOTION:
                if (HWND hwnd = WindowFor(e.motion.windowID)) {
                    RoutePointer(hwnd, e.motion.x, e.motion.y, PointerEvent::Move,
                                 MouseButton::Left, 0, 0);
                }
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (HWND hwnd = WindowFor(e.button.windowID)) {
                    RoutePointer(
                        hwnd, e.button.x, e.button.y,
                        e.type == SDL_MOUSEBUTTONDOWN ? PointerEvent::Down : PointerEvent::Up,
                        ButtonOf(e.button.button), 0, e.button.clicks);
                }
                break;
            case SDL_MOUSEWHEEL:
                if (HWND hwnd = WindowFor(e.wheel.windowID)) {
                    int x, y;
                    SDL_GetMouseState(&x, &y);
                    int notches =
                        e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
                    RoutePointer(hwnd, x, y, PointerEvent::Wheel, MouseButton::Left,
                                 notches * WHEEL_DELTA, 0);
                }
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (uint8_t vk = VirtualKey(e.key.keysym.sym)) {
                    RouteKey(vk, e.type == SDL_KEYDOWN, e.key.repeat != 0);
                }
                break;
            case SDL_DROPBEGIN:
            case SDL_DROPFILE:
            case SDL_DROPTEXT:
            case SDL_DROPCOMPLETE:
                RouteDrop(e.drop);
                break;
            case SDL_TEXTINPUT: {
                // Plain keyboard characters come from key translation;
                // others (composed, non-Latin) arrive as runtime bytes.
                std::string_view text(e.text.text);
                bool ascii = true;
                for (unsigned char c : text)
                    ascii = ascii && c < 0x80;
                if (!ascii)
                    RouteCharacterBytes(Utf8ToRuntime(text));
                break;
            }
            default:
                break;
        }
    }
}

void Present(HWND topLevel) {
    auto it = g_windows.find(topLevel);
    if (it == g_windows.end())
        return;
    SDL_Surface* surface = SDL_GetWindowSurface(it->second);
    HBITMAP picture = ComposeWindow(topLevel);
    PixelView pixels = BitmapPixels(picture);
    if (surface && pixels.pixels) {
        int width = std::min(surface->w, pixels.width);
        int height = std::min(surface->h, pixels.height);
        SDL_LockSurface(surface);
        SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, pixels.pixels,
                          int(pixels.stride), surface->format->format, surface->pixels,
                          surface->pitch);
        SDL_UnlockSurface(surface);
        SDL_UpdateWindowSurface(it->second);
    }
    DeleteObject(picture);
}

}  // namespace platform::win::sdl
