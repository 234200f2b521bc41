// Raising unit events: handler resolution over the unit records, event
// blocking and the current event source.
#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/application_object.h"
#include "runtime/arg_record.h"
#include "runtime/event_call.h"
#include "runtime/ids.h"
#include "runtime/system_hooks.h"

namespace rt {
void ApplicationObject::ProcessPendingMessages() {
    if (auto process = NativeWindows().processPendingMessages)
        process();
}

uintptr_t ApplicationObject::ResolveHandler(uint32_t windowId, uint32_t unitId,
                                            int32_t eventNumber) {
    WindowRecord* window = windows_.FindWindow(windowId);
    if (!window) {
        FatalError(
            ("An event was raised for the window " + IdText(windowId) + ", which does not exist.")
                .c_str(),
            0);
        return 0;
    }
    UnitTable& units = window->units;
    UnitEntryView unit = units.ViewOf(unitId);
    if (!unit.Valid()) {
        FatalError(("An event was raised for the unit " + IdText(unitId) + " of the window " +
                    IdText(windowId) + ", which does not exist.")
                       .c_str(),
                   0);
        return 0;
    }
    // Units of one type nested in each other share the outermost one's
    // handlers. The walk is bounded so a cyclic parent chain cannot hang.
    uint32_t type = unit.TypeId();
    for (int32_t steps = 0; steps < units.Count() && unit.ParentId() != 0; ++steps) {
        UnitEntryView parent = units.ViewOf(unit.ParentId());
        if (!parent.Valid() || parent.TypeId() != type)
            break;
        unit = parent;
    }
    const DataTypeInfo* info = ResolveType(type);
    if (!info || !(info->flags & TYPE_FLAGS_EVENTS)) {
        FatalError(("An event was raised for a unit of the type " + IdText(type) +
                    ", which has no events.")
                       .c_str(),
                   0);
        return 0;
    }
    if (type == WINDOW_UNIT_TYPE)
        return unit.WindowHandler();
    for (uint32_t i = 0; i < unit.EventCount(); ++i) {
        if (int32_t(unit.EventNumberAt(i)) == eventNumber)
            return unit.EventHandlerAt(i);
    }
    return 0;
}

bool ApplicationObject::RunHandler(uintptr_t handler, uint32_t windowId, uint32_t unitId,
                                   const uintptr_t* arguments, int32_t count, int64_t* result) {
    uint32_t sourceWindow = eventSourceWindow_;
    uint32_t sourceUnit = eventSourceUnit_;
    eventSourceWindow_ = windowId;
    eventSourceUnit_ = unitId;
    EventInvocation call{arguments, count};
    reinterpret_cast<EventHandler>(handler)(&call);
    // A handler may raise events itself; when it returns, the source is the
    // one that was running before it.
    eventSourceWindow_ = sourceWindow;
    eventSourceUnit_ = sourceUnit;
    *result = call.result;
    return call.returnedValue;
}

intptr_t ApplicationObject::CallEvent(EventCall* call) {
    if (!call || call->argumentCount < 0 || call->argumentCount > 5)
        return 0;
    // The short call is the wide one with at most five arguments.
    WideEventCall wide{};
    wide.windowId = call->windowId;
    wide.unitId = call->unitId;
    wide.eventNumber = call->eventNumber;
    wide.argumentCount = call->argumentCount;
    std::copy_n(call->arguments, call->argumentCount, wide.arguments);
    const intptr_t raised = CallWideEvent(&wide);
    if (wide.resultPresent) {
        call->resultPresent = 1;
        call->result = intptr_t(wide.result);
    }
    return raised;
}

intptr_t ApplicationObject::CallWideEvent(WideEventCall* call) {
    if (!call || EventBlockCount() > 0)
        return 0;
    if (call->argumentCount < 0 || call->argumentCount > WideEventCall::kMaxArguments)
        return 0;
    uintptr_t handler = ResolveHandler(call->windowId, call->unitId, call->eventNumber);
    if (!handler)
        return 0;
    WindowRecord* window = windows_.FindWindow(call->windowId);
    uint32_t source = call->unitId ? call->unitId : window->units.KeyAt(0);
    int64_t result = 0;
    if (RunHandler(handler, call->windowId, source, call->arguments, call->argumentCount,
                   &result)) {
        call->resultPresent = 1;
        call->result = result;
    }
    return 1;
}

intptr_t ApplicationObject::GetEventSource(void* unitRef) {
    if (!unitRef || eventSourceWindow_ == 0)
        return 0;
    ArgRecord ref = ArgRecord::Unit(eventSourceWindow_, eventSourceUnit_, 0);
    std::memcpy(unitRef, &ref, 8);
    return 1;
}

}  // namespace rt
