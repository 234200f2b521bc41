#include "platform/windowing/window_registry.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <unordered_map>

namespace platform {
namespace win {
namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> topLevel;
    std::map<std::string, std::shared_ptr<WindowClass>> classes;  // upper-cased names
    uint16_t nextAtom = 0xC000;
    uintptr_t nextSerial = 1;
};

Registry& TheRegistry() {
    static auto* registry = new Registry();
    return *registry;
}

}  // namespace

std::mutex& RegistryLock() {
    return TheRegistry().mutex;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

Window* FindLocked(HWND hwnd) {
    auto& windows = TheRegistry().windows;
    auto it = windows.find(hwnd);
    return it == windows.end() ? nullptr : it->second.get();
}

std::vector<HWND>& TopLevelOrderLocked() {
    return TheRegistry().topLevel;
}

HWND AddWindowLocked(std::unique_ptr<Window> window) {
    Registry& r = TheRegistry();
    // Handles are serial numbers, never addresses, so a stale handle cannot
    // reach a later window that happens to reuse its memory.
    auto handle = reinterpret_cast<HWND>(uintptr_t(0x10000) + (r.nextSerial++ << 4));
    window->handle = handle;
    Window* parent = FindLocked(window->parent);
    if (parent)
        parent->children.push_back(handle);
    r.windows[handle] = std::move(window);
    if (!parent)
        PlaceInZOrderLocked(handle, HWND_TOP);
    return handle;
}

void RemoveWindowLocked(HWND hwnd) {
    Registry& r = TheRegistry();
    Window* w = FindLocked(hwnd);
    if (!w)
        return;
    if (Window* parent = FindLocked(w->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    }
    r.topLevel.erase(std::remove(r.topLevel.begin(), r.topLevel.end(), hwnd), r.topLevel.end());
    r.windows.erase(hwnd);
}

std::shared_ptr<WindowClass> FindClassLocked(const std::string& name) {
    auto& classes = TheRegistry().classes;
    auto it = classes.find(UpperCase(name));
    return it == classes.end() ? nullptr : it->second;
}

HWND RootLocked(HWND hwnd) {
    Window* w = FindLocked(hwnd);
    while (w && w->IsChildWindow()) {
        Window* parent = FindLocked(w->parent);
        if (!parent)
            break;
        w = parent;
    }
    return w ? w->handle : nullptr;
}

POINT ScreenOriginLocked(const Window& w) {
    POINT origin{w.rect.left, w.rect.top};
    const Window* current = &w;
    while (current->IsChildWindow()) {
        const Window* parent = FindLocked(current->parent);
        if (!parent)
            break;
        origin.x += parent->rect.left;
        origin.y += parent->rect.top;
        current = parent;
    }
    return origin;
}

void CollectDescendantsLocked(HWND hwnd, std::vector<HWND>& out) {
    Window* w = FindLocked(hwnd);
    if (!w)
        return;
    for (HWND child : w->children) {
        out.push_back(child);
        CollectDescendantsLocked(child, out);
    }
}

bool IsSelfOrDescendantLocked(HWND ancestor, HWND hwnd) {
    for (Window* w = FindLocked(hwnd); w;
         w = w->IsChildWindow() ? FindLocked(w->parent) : nullptr) {
        if (w->handle == ancestor)
            return true;
    }
    return false;
}

void PlaceInZOrderLocked(HWND hwnd, HWND insertAfter) {
    Window* w = FindLocked(hwnd);
    if (!w)
        return;
    Window* parent = w->IsChildWindow() ? FindLocked(w->parent) : nullptr;
    std::vector<HWND>& siblings = parent ? parent->children : TopLevelOrderLocked();
    siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    auto topmost = [](HWND h) {
        Window* s = FindLocked(h);
        return s && !s->IsChildWindow() && (s->exStyle & WS_EX_TOPMOST);
    };
    // Where the window's band begins and ends among its siblings: topmost
    // top-level windows come first, then the rest.
    auto bandBegin = siblings.begin(), bandEnd = siblings.end();
    if (!parent) {
        auto firstOrdinary = std::find_if_not(siblings.begin(), siblings.end(), topmost);
        if (topmost(hwnd)) {
            bandEnd = firstOrdinary;
        } else {
            bandBegin = firstOrdinary;
        }
    }
    auto at = bandBegin;
    if (insertAfter == HWND_BOTTOM) {
        at = bandEnd;
    } else if (insertAfter != HWND_TOP) {
        auto after = std::find(bandBegin, bandEnd, insertAfter);
        at = after == bandEnd ? bandBegin : after + 1;
    }
    siblings.insert(at, hwnd);
}

ThreadId ThreadOf(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    return w ? w->thread : 0;
}

}  // namespace win

using namespace win;

uint16_t RegisterClass(const WNDCLASS* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !*windowClass->lpszClassName ||
        !windowClass->lpfnWndProc) {
        return 0;
    }
    std::lock_guard lock(RegistryLock());
    Registry& r = TheRegistry();
    std::string key = UpperCase(windowClass->lpszClassName);
    if (r.classes.count(key))
        return 0;
    auto entry = std::make_shared<WindowClass>();
    entry->atom = r.nextAtom++;
    entry->name = windowClass->lpszClassName;
    entry->info = *windowClass;
    entry->info.lpszClassName = nullptr;  // the caller's storage may go away
    entry->info.lpszMenuName = nullptr;
    r.classes[key] = entry;
    return entry->atom;
}

bool EnsureWindowClass(const char* className, WNDPROC proc, int backgroundColour) {
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = proc;
    windowClass.lpszClassName = className;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(backgroundColour + 1));
    if (RegisterClass(&windowClass) != 0)
        return true;
    // Made before, by an earlier call or by another thread meanwhile.
    WNDCLASS existing;
    return proc && GetClassInfo(nullptr, className, &existing) && existing.lpfnWndProc == proc;
}

bool UnregisterClass(const char* className, void*) {
    if (!className)
        return false;
    std::lock_guard lock(RegistryLock());
    Registry& r = TheRegistry();
    auto it = r.classes.find(UpperCase(className));
    if (it == r.classes.end())
        return false;
    // A class still used by a window stays.
    for (auto& [handle, window] : r.windows) {
        if (window->windowClass == it->second)
            return false;
    }
    r.classes.erase(it);
    return true;
}

bool GetClassInfo(void*, const char* className, WNDCLASS* out) {
    if (!className || !out)
        return false;
    std::lock_guard lock(RegistryLock());
    auto entry = FindClassLocked(className);
    if (!entry)
        return false;
    *out = entry->info;
    out->lpszClassName = entry->name.c_str();
    return true;
}

int GetClassName(HWND hwnd, char* buffer, int size) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w || !buffer || size <= 0)
        return 0;
    const std::string& name = w->windowClass->name;
    int n = std::min<int>(int(name.size()), size - 1);
    std::memcpy(buffer, name.data(), size_t(n));
    buffer[n] = 0;
    return n;
}

HBRUSH GetClassBackground(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    return w ? w->windowClass->info.hbrBackground : nullptr;
}

bool IsWindow(HWND hwnd) {
    std::lock_guard lock(RegistryLock());
    return FindLocked(hwnd) != nullptr;
}

}  // namespace platform
