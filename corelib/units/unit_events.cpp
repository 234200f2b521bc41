// From a control's notification to the unit events of the unit that owns
// the control: the unit is found in its window's unit table, its type says
// which events the notification raises (entry 12, or entry 9), and each is
// raised through the system like every other unit event.
#include <algorithm>

#include "corelib/commands/core_library.h"
#include "corelib/units/window_unit.h"
#include "runtime/event_call.h"
#include "runtime/library_info.h"
#include "runtime/notify.h"
#include "runtime/window_record.h"

namespace corelib::units {
namespace {

struct UnitOfControl {
    uint32_t unitId = 0;
    uint32_t type = 0;
};

bool FindUnit(uint32_t windowId, rt::WindowObject* object, UnitOfControl* found) {
    auto* windows = reinterpret_cast<rt::WindowMap*>(CallSystem(rt::SN_GET_WINDOW_MAP));
    rt::WindowRecord* window = windows ? windows->FindWindow(windowId) : nullptr;
    if (window) {
        for (int32_t i = 0; i < window->units.Count(); ++i) {
            rt::UnitEntryView unit = window->units.View(i);
            if (unit.Valid() && !unit.IsMenuItem() && unit.Object() == object) {
                *found = {window->units.KeyAt(i), unit.TypeId()};
                return true;
            }
        }
    }
    // A core unit knows where it was made, even before the window's table
    // holds it.
    if (auto* unit = dynamic_cast<CoreUnit*>(object);
        unit && unit->Identity().windowId == windowId && unit->Identity().unitId != 0) {
        *found = {unit->Identity().unitId, unit->Type().code};
        return true;
    }
    return false;
}

constexpr int32_t kMostEventsPerNotification = 8;

int32_t EventsOf(rt::WindowObject* object, uint32_t type, uint32_t code, int32_t* events) {
    const auto* info =
        reinterpret_cast<const rt::DataTypeInfo*>(CallSystem(rt::SN_GET_TYPE_INFO, intptr_t(type)));
    if (!info || !info->findOperation || !(info->flags & rt::TYPE_FLAGS_EVENTS))
        return 0;
    if (auto all = reinterpret_cast<rt::UnitNotificationEventsRoutine>(
            info->findOperation(rt::UNIT_ENTRY_NOTIFICATION_EVENTS))) {
        return std::min(all(object, code, events, kMostEventsPerNotification),
                        kMostEventsPerNotification);
    }
    if (auto one = reinterpret_cast<rt::UnitNotificationRoutine>(
            info->findOperation(rt::UNIT_ENTRY_NOTIFICATION))) {
        events[0] = one(object, code);
        return 1;
    }
    return 0;
}

}  // namespace

void RaiseControlEvents(uint32_t windowId, platform::HWND control, uint32_t code) {
    auto handle = rt::NativeHandle(control);
    rt::WindowObject* object = rt::WindowObject::AttachedTo(handle);
    UnitOfControl unit;
    if (!object || !FindUnit(windowId, object, &unit))
        return;
    int32_t events[kMostEventsPerNotification];
    int32_t count = EventsOf(object, unit.type, code, events);
    for (int32_t i = 0; i < count; ++i) {
        if (events[i] < 0)
            continue;
        // A handler may have closed the window or destroyed the unit.
        if (rt::WindowObject::AttachedTo(handle) != object)
            return;
        rt::EventCall call{};
        call.windowId = windowId;
        call.unitId = unit.unitId;
        call.eventNumber = events[i];
        call.argumentCount = 0;
        CallSystem(rt::SN_CALL_EVENT, reinterpret_cast<intptr_t>(&call));
    }
}

}  // namespace corelib::units
