// The window and unit messages: look-ups over the WindowMap's records, unit
// destruction, window objects, watched windows and the menu flag. Creating
// native windows, menus and icons goes through the framework's hooks.
#include <algorithm>

#include "runtime/application_object.h"
#include "runtime/ids.h"
#include "runtime/system_hooks.h"

namespace rt {
bool ApplicationObject::NativeWindowExists(NativeHandle handle) const {
    auto exists = NativeWindows().windowExists;
    return handle != 0 && exists && exists(handle);
}

intptr_t ApplicationObject::DestroyUnit(uint32_t windowId, uint32_t unitId) {
    if (shutdown_)
        return 0;
    WindowRecord* window = windows_.FindWindow(windowId);
    if (!window)
        return 0;
    if (unitId == 0 || unitId == window->units.KeyAt(0)) {
        window->units.Swap(window->spareUnits);
        window->spareUnits.Clear();
        if (modalWindowId_ == windowId)
            modalWindowId_ = 0;
        return 0;
    }
    UnitEntryView unit = window->units.ViewOf(unitId);
    // A menu item has no native window of its own to destroy.
    if (!unit.Valid() || unit.IsMenuItem())
        return 0;
    WindowObject* object = unit.Object();
    NativeHandle owned = unit.OwnedHandle();
    uint32_t type = unit.TypeId();
    unit.SetObject(nullptr);
    unit.SetOwnedHandle(0);
    // The table owns the unit's window object, so it goes with the native
    // window instead of being left behind unreachable.
    if (object) {
        NativeHandle handle = object->Detach();
        if (NativeWindowExists(handle))
            NativeWindows().destroyWindow(handle);
        delete object;
    }
    if (owned) {
        if (auto release = NativeWindows().releaseUnitHandle)
            release(type, owned);
    }
    return 0;
}

intptr_t ApplicationObject::FindUnitObject(uint32_t windowId, uint32_t unitId,
                                           bool fatalWhenMissing) {
    WindowRecord* window = windows_.FindWindow(windowId);
    WindowObject* object = nullptr;
    if (window) {
        UnitEntryView unit = window->units.ViewOf(unitId);
        if (unit.Valid() && !unit.IsMenuItem())
            object = unit.Object();
    }
    if (object && NativeWindowExists(object->Handle()))
        return reinterpret_cast<intptr_t>(object);
    if (fatalWhenMissing) {
        FatalError(("The unit " + IdText(unitId) + " of the window " + IdText(windowId) +
                    " does not exist or has no window.")
                       .c_str(),
                   0);
    }
    return 0;
}

intptr_t ApplicationObject::UnitType(uint32_t windowId, uint32_t unitId) {
    WindowRecord* window = windows_.FindWindow(windowId);
    if (!window)
        return 0;
    UnitEntryView unit = window->units.ViewOf(unitId);
    return unit.Valid() ? intptr_t(unit.TypeId()) : 0;
}

intptr_t ApplicationObject::LoadWindow(const uintptr_t* request) {
    if (!request)
        return -1;
    WindowRecord* window = windows_.FindWindow(uint32_t(request[0]));
    auto load = NativeWindows().loadWindow;
    if (!window || !load)
        return -1;
    auto* parent = reinterpret_cast<WindowObject*>(request[1]);
    if (!load(*window, parent ? parent->Handle() : 0, int32_t(request[2])))
        return -1;
    UnitEntryView self = window->units.View(0);
    if (self.Valid() && (self.Flags() & UNIT_FLAG_SHOW_ON_LOAD) && self.Object()) {
        if (auto show = NativeWindows().showAndActivate)
            show(self.Object()->Handle());
    }
    return 0;
}

intptr_t ApplicationObject::IsUnitWindow(NativeHandle handle) {
    if (!NativeWindowExists(handle))
        return 0;
    for (uint32_t w = 0; w < windows_.Count(); ++w) {
        WindowRecord* window = windows_.WindowAt(w);
        if (!window)
            continue;
        for (int32_t i = 0; i < window->units.Count(); ++i) {
            UnitEntryView unit = window->units.View(i);
            if (!unit.Valid() || unit.IsMenuItem() || !unit.Object())
                continue;
            if (unit.Object()->Handle() == handle)
                return 1;
        }
    }
    return 0;
}

intptr_t ApplicationObject::WindowHandleAt(uint32_t index) {
    WindowRecord* window = windows_.WindowAt(index);
    if (!window)
        return 0;
    UnitEntryView self = window->units.View(0);
    if (!self.Valid() || !self.Object())
        return 0;
    NativeHandle handle = self.Object()->Handle();
    return NativeWindowExists(handle) ? intptr_t(handle) : 0;
}

intptr_t ApplicationObject::WrapWindow(NativeHandle handle) {
    if (!handle)
        return 0;
    auto make = NativeWindows().newWindowObject;
    WindowObject* object = make ? make() : new WindowObject;
    if (!object)
        return 0;
    if (!object->Attach(handle)) {
        delete object;
        return 0;
    }
    return reinterpret_cast<intptr_t>(object);
}

intptr_t ApplicationObject::AttachWindow(NativeHandle handle, WindowObject* object) {
    if (!handle || WindowObject::AttachedTo(handle) || !object || object->Handle())
        return 0;
    return object->Attach(handle) ? 1 : 0;
}

intptr_t ApplicationObject::WatchWindow(const uintptr_t* entry) {
    if (!entry || !NativeWindowExists(entry[0]))
        return 0;
    if (std::find(watchedWindows_.begin(), watchedWindows_.end(), entry[0]) !=
        watchedWindows_.end()) {
        return 0;
    }
    watchedWindows_.push_back(entry[0]);
    watchedValuesA_.push_back(entry[1]);
    watchedValuesB_.push_back(entry[2]);
    return 1;
}

intptr_t ApplicationObject::UnwatchWindow(NativeHandle handle) {
    auto it = std::find(watchedWindows_.begin(), watchedWindows_.end(), handle);
    if (it == watchedWindows_.end())
        return 0;
    auto index = it - watchedWindows_.begin();
    watchedWindows_.erase(it);
    watchedValuesA_.erase(watchedValuesA_.begin() + index);
    watchedValuesB_.erase(watchedValuesB_.begin() + index);
    return 1;
}

intptr_t ApplicationObject::MarkMenuChanged(uint32_t windowId) {
    WindowRecord* window = windows_.FindWindow(windowId);
    if (!window)
        return 0;
    UnitEntryView self = window->units.View(0);
    if (!self.Valid() || self.IsMenuItem())
        return 0;
    self.SetFlags(self.Flags() | UNIT_FLAG_MENU_CHANGED);
    return RebuildMenu(windowId);
}

intptr_t ApplicationObject::RebuildMenu(uint32_t windowId) {
    WindowRecord* window = windows_.FindWindow(windowId);
    auto rebuild = MenuBars().rebuildMenuBar;
    if (!window || !rebuild)
        return 0;
    UnitEntryView self = window->units.View(0);
    if (!self.Valid() || !self.Object())
        return 0;
    NativeHandle handle = self.Object()->Handle();
    if (!NativeWindowExists(handle))
        return 0;
    return rebuild(*window, handle) ? 1 : 0;
}

intptr_t ApplicationObject::RefreshUnit(uint32_t windowId, uint32_t unitId) {
    WindowRecord* window = windows_.FindWindow(windowId);
    auto refresh = NativeWindows().refreshUnit;
    if (!window || !refresh || !window->units.ViewOf(unitId).Valid())
        return 0;
    refresh(*window, unitId);
    return 1;
}

intptr_t ApplicationObject::GetApplicationIcons(NativeHandle* large, NativeHandle* small) {
    if (!largeIcon_ && !smallIcon_) {
        if (auto load = NativeWindows().loadApplicationIcons)
            load(&largeIcon_, &smallIcon_);
    }
    if (large)
        *large = largeIcon_;
    if (small)
        *small = smallIcon_;
    return 0;
}

}  // namespace rt
