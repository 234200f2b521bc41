// Chooses between real windows and windows in memory, and keeps the
// display's windows in step with the window layer: every change to a
// top-level window, made on its own thread, becomes a request to the
// display thread.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/base/text_codec.h"
#include "platform/windowing/display_inspection.h"
#include "platform/windowing/display_thread.h"
#include "platform/windowing/presenter.h"
#include "platform/windowing/sdl_display.h"

namespace platform {
namespace win {
namespace {

std::mutex g_modeMutex;
bool g_resolved = false;  // under g_modeMutex
PresentationMode g_mode = PresentationMode::Memory;
std::atomic<bool> g_display{false};
// Display windows the calling thread made and has not destroyed; a thread
// with none has no display events to fetch.
thread_local int t_displayWindows = 0;

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

PresentationMode ResolveLocked(PresentationMode wanted) {
    if (wanted == PresentationMode::Automatic) {
        wanted = HaveDisplayEnvironment() ? PresentationMode::Display : PresentationMode::Memory;
    }
    if (wanted == PresentationMode::Display) {
        if (display::Start()) {
            g_display = true;
            return PresentationMode::Display;
        }
        std::fprintf(stderr, "picbatch: no display could be opened; windows stay in memory\n");
    }
    return PresentationMode::Memory;
}

// Whether windows go to the display; decides the mode on first use.
bool DisplayActive() {
    if (g_display.load())
        return true;
    std::lock_guard lock(g_modeMutex);
    if (!g_resolved) {
        g_mode = ResolveLocked(PresentationMode::Automatic);
        g_resolved = true;
    }
    return g_mode == PresentationMode::Display;
}

// What the display shows of a window, copied under the registry lock so
// that the display is asked without holding it.
struct WindowLook {
    sdl::WindowSpec spec;
    bool visible = false;
    bool topmost = false;
    bool child = false;
};

// Nothing once the window is gone.
std::optional<WindowLook> Snapshot(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return std::nullopt;
    WindowLook look;
    look.spec.rect = w->rect;
    look.spec.utf8Title = RuntimeToUtf8(w->text);
    look.spec.resizable = w->style & WS_THICKFRAME;
    look.spec.borderless = (w->style & WS_POPUP) && (w->style & WS_CAPTION) != WS_CAPTION;
    look.spec.topmost = w->exStyle & WS_EX_TOPMOST;
    look.spec.toolWindow = w->exStyle & WS_EX_TOOLWINDOW;
    look.spec.owner = w->owner;
    look.visible = w->Visible();
    look.topmost = w->exStyle & WS_EX_TOPMOST;
    look.child = w->IsChildWindow();
    return look;
}

}  // namespace

void PresenterWindowCreated(HWND topLevel) {
    if (!DisplayActive())
        return;
    std::optional<WindowLook> look = Snapshot(topLevel);
    if (!look)
        return;
    ++t_displayWindows;
    // Waits, so the display window exists as soon as the window does.
    display::Call([topLevel, spec = look->spec] { sdl::CreateFor(topLevel, spec); });
}

void PresenterWindowDestroyed(HWND topLevel) {
    if (g_display.load()) {
        display::Post([topLevel] { sdl::DestroyFor(topLevel); });
        if (t_displayWindows > 0)
            --t_displayWindows;
    }
    TakeDirty(topLevel);
}

void PresenterVisibilityChanged(HWND topLevel) {
    if (!g_display.load())
        return;
    if (std::optional<WindowLook> look = Snapshot(topLevel)) {
        bool visible = look->visible;
        display::Post([topLevel, visible] { sdl::Show(topLevel, visible); });
    }
}

void PresenterGeometryChanged(HWND topLevel) {
    // A change the window manager made is already on the display.
    if (!g_display.load() || FollowingDisplay(topLevel))
        return;
    if (std::optional<WindowLook> look = Snapshot(topLevel)) {
        RECT rect = look->spec.rect;
        display::Post([topLevel, rect] { sdl::Place(topLevel, rect); });
    }
}

void PresenterTitleChanged(HWND hwnd) {
    if (!g_display.load())
        return;
    std::optional<WindowLook> look = Snapshot(hwnd);
    if (look && !look->child) {
        display::Post([hwnd, title = look->spec.utf8Title] { sdl::Retitle(hwnd, title); });
    }
}

void PresenterTopmostChanged(HWND topLevel) {
    if (!g_display.load())
        return;
    if (std::optional<WindowLook> look = Snapshot(topLevel)) {
        bool topmost = look->topmost;
        display::Post([topLevel, topmost] { sdl::SetTopmost(topLevel, topmost); });
    }
}

void PresenterActivated(HWND topLevel) {
    if (!FollowingDisplay(topLevel))
        PresenterRaise(topLevel);
}

void PresenterRaise(HWND topLevel) {
    if (g_display.load())
        display::Post([topLevel] { sdl::Raise(topLevel); });
}

void PresenterContentChanged() {
    if (g_display.load())
        display::Wake();
}

void PresenterPump() {
    if (!g_display.load() || t_displayWindows == 0)
        return;
    // Events SDL holds but the display thread has not handed on yet are
    // handed on now, so that input already given (by a person or a test) is
    // seen by this very peek; what they bring for this thread arrives as
    // sent work, run here.
    if (display::EventsWaiting())
        display::Call([] { sdl::PumpEvents(); });
    ProcessSentMessages();
}

uint32_t DisplayWindowId(HWND topLevel) {
    uint32_t id = 0;
    if (g_display.load())
        display::Call([&] { id = sdl::IdFor(topLevel); });
    return id;
}

uint32_t DisplayWindowFlags(HWND topLevel) {
    uint32_t flags = 0;
    if (g_display.load())
        display::Call([&] { flags = sdl::FlagsFor(topLevel); });
    return flags;
}

bool ReadDisplayedPixels(HWND topLevel, std::vector<uint32_t>* pixels, int* width, int* height) {
    bool ok = false;
    if (g_display.load()) {
        display::Call([&] {
            if (TakeDirty(topLevel) && IsWindowVisible(topLevel))
                sdl::Present(topLevel);
            ok = sdl::ReadShownPixels(topLevel, pixels, width, height);
        });
    }
    return ok;
}

}  // namespace win

using namespace win;

PresentationMode SetPresentationMode(PresentationMode mode) {
    std::lock_guard lock(g_modeMutex);
    if (g_resolved && g_mode == PresentationMode::Display)
        return g_mode;
    g_mode = ResolveLocked(mode);
    g_resolved = true;
    return g_mode;
}

PresentationMode CurrentPresentationMode() {
    std::lock_guard lock(g_modeMutex);
    return g_resolved ? g_mode : PresentationMode::Automatic;
}

}  // namespace platform
