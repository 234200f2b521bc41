#include "runtime/input/form_input.h"

#include "runtime/event_call.h"

namespace rt {

FormWindowObject* FormOfNativeWindow(platform::HWND hwnd) {
    if (!hwnd)
        return nullptr;
    return dynamic_cast<FormWindowObject*>(
        WindowObject::AttachedTo(reinterpret_cast<NativeHandle>(hwnd)));
}

FormInput::FormInput(ApplicationObject& app, FormWindowObject& form)
    : app_(app),
      form_(form),
      window_(reinterpret_cast<platform::HWND>(form.Handle())),
      windowId_(form.windowId) {}

bool FormInput::Alive() const {
    return platform::IsWindow(window_) && FormOfNativeWindow(window_) == &form_;
}

int32_t FormInput::UnitCount() const {
    WindowRecord* record = Record();
    return record ? record->units.Count() : 0;
}

UnitEntryView FormInput::Unit(int32_t index) const {
    WindowRecord* record = Record();
    if (!record || index < 0 || index >= record->units.Count())
        return UnitEntryView(nullptr, 0, false);
    return record->units.View(index);
}

uint32_t FormInput::UnitId(int32_t index) const {
    WindowRecord* record = Record();
    return record && index >= 0 ? record->units.KeyAt(index) : 0;
}

platform::HWND FormInput::UnitWindow(int32_t index) const {
    UnitEntryView unit = Unit(index);
    if (!unit.Valid() || unit.IsMenuItem() || !unit.Object())
        return nullptr;
    auto hwnd = reinterpret_cast<platform::HWND>(unit.Object()->Handle());
    return hwnd && platform::IsWindow(hwnd) ? hwnd : nullptr;
}

uint32_t FormInput::TypeFlags(int32_t index) const {
    UnitEntryView unit = Unit(index);
    const DataTypeInfo* type = unit.Valid() ? app_.ResolveType(unit.TypeId()) : nullptr;
    return type ? type->flags : 0;
}

void* FormInput::TypeOperation(int32_t index, int32_t operation) const {
    UnitEntryView unit = Unit(index);
    const DataTypeInfo* type = unit.Valid() ? app_.ResolveType(unit.TypeId()) : nullptr;
    return type && type->findOperation ? type->findOperation(operation) : nullptr;
}

int32_t FormInput::UnitOfWindow(platform::HWND hwnd) const {
    if (!hwnd)
        return -1;
    for (int32_t i = 0; i < UnitCount(); ++i) {
        UnitEntryView unit = Unit(i);
        if (unit.Valid() && !unit.IsMenuItem() && unit.Object() &&
            unit.Object()->Handle() == reinterpret_cast<NativeHandle>(hwnd)) {
            return i;
        }
    }
    return -1;
}

int32_t FormInput::UnitContaining(platform::HWND hwnd) const {
    for (platform::HWND at = hwnd; at && at != window_; at = platform::GetParent(at)) {
        int32_t index = UnitOfWindow(at);
        if (index > 0)
            return index;
    }
    return -1;
}

bool FormInput::RaiseEvent(int32_t index, int32_t event, const uintptr_t* arguments, int32_t count,
                           bool* hasResult, intptr_t* result) const {
    if (hasResult)
        *hasResult = false;
    // The system treats an event raised on a type without events as a fatal
    // error of the program; input simply has nobody to tell.
    if (!(TypeFlags(index) & TYPE_FLAGS_EVENTS))
        return false;
    uint32_t unitId = UnitId(index);
    if (unitId == 0)
        return false;
    EventCall call{};
    call.windowId = windowId_;
    call.unitId = index == 0 ? 0 : unitId;
    call.eventNumber = event;
    call.argumentCount = count;
    for (int32_t i = 0; i < count && i < 5; ++i)
        call.arguments[i] = arguments[i];
    if (app_.Handle(SN_CALL_EVENT, reinterpret_cast<intptr_t>(&call), 0) != 1)
        return false;
    if (call.resultPresent) {
        if (hasResult)
            *hasResult = true;
        if (result)
            *result = call.result;
    }
    return true;
}

}  // namespace rt
