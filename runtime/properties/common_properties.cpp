#include "runtime/properties/common_properties.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/windowing/windows.h"
#include "runtime/properties/value_kinds.h"
#include "runtime/unit_type.h"

namespace rt {
namespace {

using platform::HWND;

HWND WindowOf(WindowObject* unit) {
    return unit ? reinterpret_cast<HWND>(unit->Handle()) : nullptr;
}

// Tags belong to native windows, which can go away without telling anyone;
// window handles are never reused, so a tag of a window that is gone is
// only dropped the next time a tag is written. Windows of several threads
// may write tags at once.
class TagStore {
public:
    std::string Get(HWND window) {
        std::lock_guard lock(mutex_);
        auto it = tags_.find(window);
        return it == tags_.end() ? std::string() : it->second;
    }
    void Set(HWND window, const char* text) {
        std::lock_guard lock(mutex_);
        for (auto it = tags_.begin(); it != tags_.end();) {
            it = platform::IsWindow(it->first) ? std::next(it) : tags_.erase(it);
        }
        if (text && *text)
            tags_[window] = text;
        else
            tags_.erase(window);
    }

private:
    std::mutex mutex_;
    std::map<HWND, std::string> tags_;
};

TagStore& Tags() {
    static TagStore store;
    return store;
}

bool IsChildWindow(HWND window) {
    return (uint32_t(platform::GetWindowLong(window, platform::GWL_STYLE)) & platform::WS_CHILD) &&
           platform::GetParent(window);
}

// The window's outer rectangle in the coordinates its position is given
// in: the parent's client area for a child, the screen otherwise.
platform::RECT PlacedRect(HWND window) {
    platform::RECT rect{};
    platform::GetWindowRect(window, &rect);
    if (IsChildWindow(window)) {
        platform::POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
        platform::MapWindowPoints(nullptr, platform::GetParent(window), corners, 2);
        rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    }
    return rect;
}

bool HasStyle(HWND window, uint32_t bit) {
    return (uint32_t(platform::GetWindowLong(window, platform::GWL_STYLE)) & bit) != 0;
}

void SetStyleBit(HWND window, uint32_t bit, bool on) {
    uint32_t style = uint32_t(platform::GetWindowLong(window, platform::GWL_STYLE));
    uint32_t changed = on ? style | bit : style & ~bit;
    if (changed != style)
        platform::SetWindowLong(window, platform::GWL_STYLE, int32_t(changed));
}

void Place(HWND window, uint32_t number, int32_t value) {
    platform::RECT rect = PlacedRect(window);
    int x = rect.left, y = rect.top;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    switch (number) {
        case COMMON_PROPERTY_LEFT:
            x = value;
            break;
        case COMMON_PROPERTY_TOP:
            y = value;
            break;
        case COMMON_PROPERTY_WIDTH:
            width = value < 0 ? 0 : value;
            break;
        default:
            height = value < 0 ? 0 : value;
            break;
    }
    platform::SetWindowPos(window, nullptr, x, y, width, height,
                           platform::SWP_NOZORDER | platform::SWP_NOACTIVATE);
}

}  // namespace

uint64_t GetCommonProperty(WindowObject* unit, uint32_t number) {
    HWND window = WindowOf(unit);
    if (!window || !platform::IsWindow(window))
        return 0;
    platform::RECT rect = PlacedRect(window);
    switch (number) {
        case COMMON_PROPERTY_LEFT:
            return uint32_t(rect.left);
        case COMMON_PROPERTY_TOP:
            return uint32_t(rect.top);
        case COMMON_PROPERTY_WIDTH:
            return uint32_t(rect.right - rect.left);
        case COMMON_PROPERTY_HEIGHT:
            return uint32_t(rect.bottom - rect.top);
        case COMMON_PROPERTY_VISIBLE:
            return HasStyle(window, platform::WS_VISIBLE) ? 1 : 0;
        case COMMON_PROPERTY_ENABLED:
            return platform::IsWindowEnabled(window) ? 1 : 0;
        case COMMON_PROPERTY_TAB_STOP:
            return HasStyle(window, platform::WS_TABSTOP) ? 1 : 0;
        case COMMON_PROPERTY_TAG: {
            std::string tag = Tags().Get(window);
            return PointerValue(FreshText(tag.data(), tag.size()));
        }
        default:
            return 0;
    }
}

void SetCommonProperty(WindowObject* unit, uint32_t number, uint32_t low, uint32_t high) {
    HWND window = WindowOf(unit);
    if (!window || !platform::IsWindow(window))
        return;
    switch (number) {
        case COMMON_PROPERTY_LEFT:
        case COMMON_PROPERTY_TOP:
        case COMMON_PROPERTY_WIDTH:
        case COMMON_PROPERTY_HEIGHT:
            Place(window, number, int32_t(low));
            break;
        case COMMON_PROPERTY_VISIBLE:
            // A child appears without taking the activation from its window.
            platform::ShowWindow(window, low == 0                ? platform::SW_HIDE
                                         : IsChildWindow(window) ? platform::SW_SHOWNA
                                                                 : platform::SW_SHOW);
            break;
        case COMMON_PROPERTY_ENABLED:
            platform::EnableWindow(window, low != 0);
            break;
        case COMMON_PROPERTY_TAB_STOP:
            SetStyleBit(window, platform::WS_TABSTOP, low != 0);
            break;
        case COMMON_PROPERTY_TAG:
            Tags().Set(window, static_cast<const char*>(ValuePointer(low, high)));
            break;
        default:
            break;
    }
}

}  // namespace rt
