#include "platform/windowing/sdl_display.h"

#include <SDL.h>

#include <algorithm>
#include <map>

#include "platform/graphics/leak_suppressions.h"
#include "platform/windowing/presenter.h"

namespace platform::win::sdl {
namespace {

// The display thread's own table; no other thread reads it.
std::map<HWND, SDL_Window*>& Table() {
    static auto* table = new std::map<HWND, SDL_Window*>();
    return *table;
}

SDL_Window* Find(HWND topLevel) {
    auto it = Table().find(topLevel);
    return it == Table().end() ? nullptr : it->second;
}

int Extent(int from, int to) {
    return std::max(1, to - from);
}

}  // namespace

bool Open() {
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Windows are drawn in software and copied whole: the display's own
    // image transfer does, without a (software) OpenGL renderer behind it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0)
        SetScreenSize(mode.w, mode.h);
    SDL_StartTextInput();
    return true;
}

void CreateFor(HWND topLevel, const WindowSpec& spec) {
    uint32_t flags = SDL_WINDOW_HIDDEN;
    if (spec.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    if (spec.borderless)
        flags |= SDL_WINDOW_BORDERLESS;
    if (spec.topmost)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (spec.toolWindow)
        flags |= SDL_WINDOW_SKIP_TASKBAR;
    const RECT& r = spec.rect;
    SDL_Window* window = SDL_CreateWindow(spec.utf8Title.c_str(), r.left, r.top,
                                          Extent(r.left, r.right), Extent(r.top, r.bottom), flags);
    if (!window)
        return;
    Table()[topLevel] = window;
    if (SDL_Window* owner = Find(spec.owner)) {
        // Only some video drivers know of owned windows; the others answer
        // an error that changes nothing.
        SDL_SetWindowModalFor(window, owner);
    }
}

void DestroyFor(HWND topLevel) {
    auto it = Table().find(topLevel);
    if (it == Table().end())
        return;
    SDL_DestroyWindow(it->second);
    Table().erase(it);
}

void Show(HWND topLevel, bool visible) {
    SDL_Window* window = Find(topLevel);
    if (!window)
        return;
    if (visible) {
        SDL_ShowWindow(window);
        TakeDirty(topLevel);
        Present(topLevel);
    } else {
        SDL_HideWindow(window);
    }
}

void Place(HWND topLevel, const RECT& rect) {
    SDL_Window* window = Find(topLevel);
    if (!window)
        return;
    SDL_SetWindowPosition(window, rect.left, rect.top);
    SDL_SetWindowSize(window, Extent(rect.left, rect.right), Extent(rect.top, rect.bottom));
}

void Retitle(HWND topLevel, const std::string& utf8Title) {
    if (SDL_Window* window = Find(topLevel))
        SDL_SetWindowTitle(window, utf8Title.c_str());
}

void SetTopmost(HWND topLevel, bool topmost) {
    if (SDL_Window* window = Find(topLevel))
        SDL_SetWindowAlwaysOnTop(window, topmost ? SDL_TRUE : SDL_FALSE);
}

void Raise(HWND topLevel) {
    SDL_Window* window = Find(topLevel);
    if (window && (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN))
        SDL_RaiseWindow(window);
}

std::vector<HWND> Windows() {
    std::vector<HWND> out;
    for (auto& [hwnd, window] : Table())
        out.push_back(hwnd);
    return out;
}

bool AnyWindowShown() {
    for (auto& [hwnd, window] : Table()) {
        if (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN)
            return true;
    }
    return false;
}

HWND WindowFor(uint32_t sdlId) {
    SDL_Window* target = SDL_GetWindowFromID(sdlId);
    if (!target)
        return nullptr;
    for (auto& [hwnd, window] : Table()) {
        if (window == target)
            return hwnd;
    }
    return nullptr;
}

uint32_t IdFor(HWND topLevel) {
    SDL_Window* window = Find(topLevel);
    return window ? SDL_GetWindowID(window) : 0;
}

uint32_t FlagsFor(HWND topLevel) {
    SDL_Window* window = Find(topLevel);
    return window ? SDL_GetWindowFlags(window) : 0;
}

void Present(HWND topLevel) {
    SDL_Window* window = Find(topLevel);
    if (!window)
        return;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    HBITMAP picture = ComposeWindow(topLevel);
    if (!picture)
        return;
    PixelView pixels = BitmapPixels(picture);
    if (surface && pixels.pixels) {
        int width = std::min(surface->w, pixels.width);
        int height = std::min(surface->h, pixels.height);
        SDL_LockSurface(surface);
        SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, pixels.pixels,
                          int(pixels.stride), surface->format->format, surface->pixels,
                          surface->pitch);
        SDL_UnlockSurface(surface);
        SDL_UpdateWindowSurface(window);
    }
    DeleteObject(picture);
}

bool ReadShownPixels(HWND topLevel, std::vector<uint32_t>* pixels, int* width, int* height) {
    SDL_Window* window = Find(topLevel);
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface)
        return false;
    *width = surface->w;
    *height = surface->h;
    pixels->assign(size_t(surface->w) * surface->h, 0);
    SDL_LockSurface(surface);
    int status =
        SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels,
                          surface->pitch, SDL_PIXELFORMAT_ARGB8888, pixels->data(), surface->w * 4);
    SDL_UnlockSurface(surface);
    return status == 0;
}

}  // namespace platform::win::sdl

// See leak_suppressions.h.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return platform::kPlatformLeakSuppressions;
}
