// Window words (the fixed ones and the class's extra bytes), window text
// and named properties.
#include <algorithm>
#include <cstring>

#include "platform/windowing/window_registry.h"

namespace platform {

using namespace win;

intptr_t GetWindowLongPtr(HWND hwnd, int index) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return 0;
    switch (index) {
        case GWLP_WNDPROC:
            return reinterpret_cast<intptr_t>(w->proc);
        case GWLP_HINSTANCE:
            return reinterpret_cast<intptr_t>(w->instance);
        case GWLP_HWNDPARENT:
            return reinterpret_cast<intptr_t>(w->IsChildWindow() ? w->parent : w->owner);
        case GWLP_ID:
            return w->id;
        case GWL_STYLE:
            return intptr_t(int32_t(w->style));
        case GWL_EXSTYLE:
            return intptr_t(int32_t(w->exStyle));
        case GWLP_USERDATA:
            return w->userData;
        default:
            break;
    }
    if (index < 0 || size_t(index) + sizeof(intptr_t) > w->extra.size())
        return 0;
    intptr_t value;
    std::memcpy(&value, w->extra.data() + index, sizeof value);
    return value;
}

intptr_t SetWindowLongPtr(HWND hwnd, int index, intptr_t value) {
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return 0;
    intptr_t previous = 0;
    switch (index) {
        case GWLP_WNDPROC:
            // Only the owning thread may replace a procedure.
            if (w->thread != GetCurrentThreadId() || !value)
                return 0;
            previous = reinterpret_cast<intptr_t>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            return previous;
        case GWLP_HINSTANCE:
            previous = reinterpret_cast<intptr_t>(w->instance);
            w->instance = reinterpret_cast<void*>(value);
            return previous;
        case GWLP_ID:
            previous = w->id;
            w->id = value;
            return previous;
        case GWL_STYLE:
            previous = intptr_t(int32_t(w->style));
            w->style = uint32_t(value);
            return previous;
        case GWL_EXSTYLE:
            previous = intptr_t(int32_t(w->exStyle));
            w->exStyle = uint32_t(value);
            return previous;
        case GWLP_USERDATA:
            previous = w->userData;
            w->userData = value;
            return previous;
        default:
            break;
    }
    if (index < 0 || size_t(index) + sizeof(intptr_t) > w->extra.size())
        return 0;
    std::memcpy(&previous, w->extra.data() + index, sizeof previous);
    std::memcpy(w->extra.data() + index, &value, sizeof value);
    return previous;
}

int32_t GetWindowLong(HWND hwnd, int index) {
    if (index >= 0) {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w || size_t(index) + 4 > w->extra.size())
            return 0;
        int32_t value;
        std::memcpy(&value, w->extra.data() + index, 4);
        return value;
    }
    return int32_t(GetWindowLongPtr(hwnd, index));
}

int32_t SetWindowLong(HWND hwnd, int index, int32_t value) {
    if (index >= 0) {
        std::lock_guard lock(RegistryLock());
        Window* w = FindLocked(hwnd);
        if (!w || size_t(index) + 4 > w->extra.size())
            return 0;
        int32_t previous;
        std::memcpy(&previous, w->extra.data() + index, 4);
        std::memcpy(w->extra.data() + index, &value, 4);
        return previous;
    }
    if (index == GWL_STYLE || index == GWL_EXSTYLE || index == GWLP_ID) {
        return int32_t(SetWindowLongPtr(hwnd, index, intptr_t(uint32_t(value))));
    }
    return int32_t(SetWindowLongPtr(hwnd, index, value));
}

bool SetWindowText(HWND hwnd, const char* text) {
    return IsWindow(hwnd) &&
           SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

int GetWindowText(HWND hwnd, char* buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = 0;
    if (ThreadOf(hwnd) == GetCurrentThreadId()) {
        return int(SendMessage(hwnd, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buffer)));
    }
    // Another thread's window: read the stored text rather than wait on it.
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return 0;
    size_t n = std::min(w->text.size(), size_t(size) - 1);
    std::memcpy(buffer, w->text.data(), n);
    buffer[n] = 0;
    return int(n);
}

int GetWindowTextLength(HWND hwnd) {
    if (ThreadOf(hwnd) == GetCurrentThreadId()) {
        return int(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
    }
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    return w ? int(w->text.size()) : 0;
}

bool SetProp(HWND hwnd, const char* name, void* value) {
    if (!name)
        return false;
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return false;
    w->properties[UpperCase(name)] = value;
    return true;
}

namespace {

// GetProp and RemoveProp alike: the value kept under `name` (compared
// without case), taken out of the window's table when `remove`.
void* FindProp(HWND hwnd, const char* name, bool remove) {
    if (!name)
        return nullptr;
    std::lock_guard lock(RegistryLock());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    auto it = w->properties.find(UpperCase(name));
    if (it == w->properties.end())
        return nullptr;
    void* value = it->second;
    if (remove)
        w->properties.erase(it);
    return value;
}

}  // namespace

void* GetProp(HWND hwnd, const char* name) {
    return FindProp(hwnd, name, false);
}

void* RemoveProp(HWND hwnd, const char* name) {
    return FindProp(hwnd, name, true);
}

}  // namespace platform
