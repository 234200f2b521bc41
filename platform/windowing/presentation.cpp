// Chooses between real windows and windows in memory, and keeps real
// windows in step with the window layer.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

bool Snapshot(HWND hwnd, RECT* rect, std::string* title, uint32_t* style, bool* visible) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return false;
    *rect = w->rect;
    *title = RuntimeToUtf8(w->text);
    *style = w->style;
    *visible = w->Visible();
    return true;
}

}  // namespace

void PresenterWindowCreated(HWND topLevel) {
    if (!OnDisplayThread())
        return;
    RECT rect;
    std::string title;
    uint32_t style;
    bool visible;
    if (!Snapshot(topLevel, &rect, &title, &style, &visible))
        return;
    sdl::CreateFor(topLevel, rect, title, (style & WS_THICKFRAME) != 0);
}

void PresenterWindowDestroyed(HWND topLevel) {
    if (OnDisplayThread())
        sdl::DestroyFor(topLevel);
    TakeDirty(topLevel);
}

void PresenterVisibilityChanged(HWND topLevel) {
    if (!OnDisplayThread())
        return;
    RECT rect;
    std::string title;
    uint32_t style;
    bool visible;
    if (Snapshot(topLevel, &rect, &title, &style, &visible))
        sdl::Show(topLevel, visible);
}

void PresenterGeometryChanged(HWND topLevel) {
    if (!OnDisplayThread())
        return;
    RECT rect;
    std::string title;
    uint32_t style;
    bool visible;
    if (Snapshot(topLevel, &rect, &title, &style, &visible))
        sdl::Place(topLevel, rect);
}

void PresenterTitleChanged(HWND hwnd) {
    if (!OnDisplayThread())
        return;
    RECT rect;
    std::string title;
    uint32_t style;
    bool visible;
    if (Snapshot(hwnd, &rect, &title, &style, &visible) && !(style & WS_CHILD)) {
        sdl::Retitle(hwnd, title);
    }
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
