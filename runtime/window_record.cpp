#include "runtime/window_record.h"

#include <vector>

#include "runtime/ids.h"
#include "runtime/system_hooks.h"

namespace rt {

UnitEntryView UnitTable::View(int32_t index) {
    uint32_t length = 0;
    uint8_t* body = EntryAt(index, &length);
    return UnitEntryView(body, length, IsMenuItemUnitId(KeyAt(index)));
}

UnitEntryView UnitTable::ViewOf(uint32_t unitId, int32_t* index) {
    int32_t found = -1;
    if (unitId == 0) {
        if (Count() > 0)
            found = 0;
    } else {
        if (!Find(unitId, nullptr, &found))
            found = -1;
    }
    if (index)
        *index = found;
    if (found < 0)
        return UnitEntryView(nullptr, 0, false);
    return View(found);
}

void UnitTable::Clear() {
    // Collect first and release after the table is empty: a window object's
    // destructor may reach back into the system.
    std::vector<WindowObject*> objects;
    std::vector<std::pair<uint32_t, NativeHandle>> handles;
    for (int32_t i = 0; i < Count(); ++i) {
        UnitEntryView unit = View(i);
        if (!unit.Valid() || unit.IsMenuItem())
            continue;
        if (WindowObject* object = unit.Object())
            objects.push_back(object);
        if (NativeHandle handle = unit.OwnedHandle())
            handles.emplace_back(unit.TypeId(), handle);
    }
    SectionTable::Clear();
    for (WindowObject* object : objects)
        delete object;
    if (auto release = NativeWindows().releaseUnitHandle) {
        for (auto [type, handle] : handles)
            release(type, handle);
    }
}

void WindowMap::Clear() {
    std::vector<WindowRecord*> records;
    for (uint32_t i = 0; i < Count(); ++i)
        records.push_back(WindowAt(i));
    KeyMap::Clear();
    for (WindowRecord* record : records)
        delete record;
}

WindowRecord* WindowMap::FindWindow(uint32_t windowId) const {
    Value value = 0;
    if (!Find(windowId, &value, nullptr))
        return nullptr;
    return reinterpret_cast<WindowRecord*>(value);
}

WindowRecord* WindowMap::WindowAt(uint32_t index) const {
    Value value = 0;
    if (!ValueAt(index, &value))
        return nullptr;
    return reinterpret_cast<WindowRecord*>(value);
}

WindowRecord* WindowMap::AddWindow(uint32_t windowId) {
    if (!IsValidId(windowId) || FindWindow(windowId))
        return nullptr;
    auto* record = new WindowRecord(windowId);
    if (!Add(windowId, reinterpret_cast<Value>(record))) {
        delete record;
        return nullptr;
    }
    return record;
}

}  // namespace rt
