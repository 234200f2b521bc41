// Chooses between real windows and windows in memory, and keeps real
// windows in step with the window layer.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/base/text_codec.h"
#include "platform/windowing/presenter.h"
#include "platform/windowing/sdl_display.h"

namespace platform {
namespace win {
namespace {

std::mutex g_modeMutex;
bool g_resolved = false;
PresentationMode g_mode = PresentationMode::Memory;
std::atomic<ThreadId> g_displayThread{0};

bool HaveDisplayEnvironment() {
    // PICBATCH_HEADLESS keeps test runs off a display that happens to exist.
    const char* headless = std::getenv("PICBATCH_HEADLESS");
    if (headless && *headless && std::strcmp(headless, "0") != 0)
        return false;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

PresentationMode Resolve(PresentationMode wanted) {
    if (wanted == PresentationMode::Automatic) {
        wanted = HaveDisplayEnvironment() ? PresentationMode::Display : PresentationMode::Memory;
    }
    if (wanted == PresentationMode::Display) {
        if (sdl::Open()) {
            g_displayThread = GetCurrentThreadId();
            return PresentationMode::Display;
        }
        std::fprintf(stderr, "picbatch: no display could be opened; windows stay in memory\n");
    }
    return PresentationMode::Memory;
}

// Whether the calling thread shows its windows on the display.
bool OnDisplayThread() {
    {
        std::lock_guard lock(g_modeMutex);
        if (!g_resolved) {
            g_mode = Resolve(PresentationMode::Automatic);
            g_resolved = true;
        }
    }
    return g_displayThread != 0 && g_displayThread == GetCurrentThreadId();
}

// What the display shows of a window, copied under the registry lock so
// that the display is updated without holding it.
struct WindowLook {
    RECT rect;
    std::string title;
    uint32_t style;
    bool visible;
};

// Nothing once the window is gone.
std::optional<WindowLook> Snapshot(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return std::nullopt;
    return WindowLook{w->rect, RuntimeToUtf8(w->text), w->style, w->Visible()};
}

}  // namespace

void PresenterWindowCreated(HWND topLevel) {
    if (!OnDisplayThread())
        return;
    const std::optional<WindowLook> look = Snapshot(topLevel);
    if (!look)
        return;
    sdl::CreateFor(topLevel, look->rect, look->title, (look->style & WS_THICKFRAME) != 0);
}

void PresenterWindowDestroyed(HWND topLevel) {
    if (OnDisplayThread())
        sdl::DestroyFor(topLevel);
    TakeDirty(topLevel);
}

void PresenterVisibilityChanged(HWND topLevel) {
    if (!OnDisplayThread())
        return;
    if (const std::optional<WindowLook> look = Snapshot(topLevel))
        sdl::Show(topLevel, look->visible);
}

void PresenterGeometryChanged(HWND topLevel) {
    if (!OnDisplayThread())
        return;
    if (const std::optional<WindowLook> look = Snapshot(topLevel))
        sdl::Place(topLevel, look->rect);
}

void PresenterTitleChanged(HWND hwnd) {
    if (!OnDisplayThread())
        return;
    const std::optional<WindowLook> look = Snapshot(hwnd);
    if (look && !(look->style & WS_CHILD))
        sdl::Retitle(hwnd, look->title);
}

void PresenterPump() {
    if (g_displayThread == 0 || g_displayThread != GetCurrentThreadId())
        return;
    sdl::PumpEvents();
    for (HWND hwnd : sdl::Windows()) {
        if (TakeDirty(hwnd) && IsWindowVisible(hwnd))
            sdl::Present(hwnd);
    }
}

int PresenterWakeMs() {
    return g_displayThread != 0 && g_displayThread == GetCurrentThreadId() ? 10 : -1;
}

}  // namespace win

using namespace win;

PresentationMode SetPresentationMode(PresentationMode mode) {
    std::lock_guard lock(g_modeMutex);
    if (g_resolved && g_mode == PresentationMode::Display)
        return g_mode;
    g_mode = Resolve(mode);
    g_resolved = true;
    return g_mode;
}

PresentationMode CurrentPresentationMode() {
    std::lock_guard lock(g_modeMutex);
    return g_resolved ? g_mode : PresentationMode::Automatic;
}

}  // namespace platform
