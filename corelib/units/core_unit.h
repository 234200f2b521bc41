// What every unit type of the core library shares: the description a type
// publishes (CoreUnitType), the interface every unit object offers the
// shared entries and the form (CoreUnit), and the entry table built from a
// unit class (StandardOperation).
//
// A unit class `Unit` derives from rt::WindowObject (or a class derived from
// it) and from CoreUnit, and provides
//   static rt::WindowObject* Create(const rt::UnitCreateArgs& args);
// Its own property values live in the object; GetOwn and SetOwn are only
// called with an index inside the type's table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windowing/windows.h"
#include "runtime/library_info.h"
#include "runtime/unit_type.h"

namespace corelib::units {

struct CoreUnitType {
    rt::LibraryTypeCode code;
    const char* name;
    uint32_t flags;
    const rt::PropertyDescriptor* properties;
    int32_t propertyCount;
    rt::OperationLookup findOperation;
};

// A descriptor of the given value kind.
constexpr rt::PropertyDescriptor Kind(rt::PropertyKind kind) {
    return rt::PropertyDescriptor{0, 0, 0, kind, 0, 0};
}

// Where a unit sits: the window and unit ids its events are raised with.
struct UnitIdentity {
    uint32_t windowId = 0;
    uint32_t unitId = 0;
    bool designMode = false;
};

class CoreUnit {
public:
    explicit CoreUnit(const rt::UnitCreateArgs& args)
        : identity_{args.windowId, args.unitId, args.designMode == 1} {}
    virtual ~CoreUnit() = default;

    virtual const CoreUnitType& Type() const = 0;
    virtual void GetOwn(int32_t index, rt::PropertyValue* result) = 0;
    // Answers entry 4's answer: 1 when the unit's layout must be re-applied.
    virtual int32_t SetOwn(int32_t index, const rt::PropertyValue& value) = 0;
    // The unit events a notification of the unit's control raises, in order.
    virtual std::vector<int32_t> Events(uint32_t notificationCode) {
        (void)notificationCode;
        return {};
    }
    // The window asks how to colour the unit's control (WM_CTLCOLOR*): the
    // unit may set the text colour in `dc` and answer a background brush it
    // owns; null leaves the choice to the window.
    virtual platform::HBRUSH ControlColours(platform::HDC dc) {
        (void)dc;
        return nullptr;
    }
    // Whether the window's background shows behind the unit's text when the
    // unit has no background colour of its own (labels, check boxes).
    virtual bool SeeThrough() const { return false; }

    const UnitIdentity& Identity() const { return identity_; }

private:
    UnitIdentity identity_;
};

// ---- Values of the getter and setter records ----
inline int32_t WordOf(const rt::PropertyValue& value) {
    return int32_t(uint32_t(value.w0));
}
// A text record's text (null reads as empty).
inline std::string TextOf(const rt::PropertyValue& value) {
    const auto* text = reinterpret_cast<const char*>(value.w0);
    return text ? std::string(text) : std::string();
}
// A byte-block record's bytes.
inline std::string BytesOf(const rt::PropertyValue& value) {
    const auto* bytes = reinterpret_cast<const char*>(value.w0);
    return bytes && value.w1 ? std::string(bytes, value.w1) : std::string();
}
inline void PutWord(rt::PropertyValue* result, int32_t word) {
    result->w0 = uint32_t(word);
    result->w1 = 0;
}
// The record points at the unit's own text, valid until the next write.
inline void PutText(rt::PropertyValue* result, const std::string& text) {
    result->w0 = reinterpret_cast<uintptr_t>(text.c_str());
    result->w1 = 0;
}
inline void PutBytes(rt::PropertyValue* result, const std::string& bytes) {
    result->w0 = reinterpret_cast<uintptr_t>(bytes.data());
    result->w1 = bytes.size();
}
// "Logical switches count as on only when they equal 1."
constexpr bool IsOn(int32_t word) {
    return word == 1;
}
constexpr int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : value > high ? high : value;
}

// ---- The shared entries ----
// Entry 5, one routine for every core type: the unit's own properties as a
// property block in a fresh SN_ALLOC block.
uint8_t* SaveUnitPropertiesEntry(rt::WindowObject* unit, uint32_t* length);

// Applies the properties a unit's property block holds through the unit's
// setter, in `order` (every index of the table when null); properties
// without a record keep their defaults.
void ApplyPropertyBlock(CoreUnit& unit, const uint8_t* block, uint32_t length,
                        const int32_t* order = nullptr, int32_t orderCount = 0);

template <class Unit>
rt::WindowObject* CreateEntry(const rt::UnitCreateArgs* args) {
    return args ? Unit::Create(*args) : nullptr;
}

template <class Unit>
int32_t SetPropertyEntry(rt::WindowObject* object, int32_t index, const rt::PropertyValue* value,
                         int32_t* /*cleared*/) {
    auto* unit = dynamic_cast<Unit*>(object);
    if (!unit || !value || index < 0 || index >= unit->Type().propertyCount)
        return 0;
    return unit->SetOwn(index, *value);
}

template <class Unit>
int32_t GetPropertyEntry(rt::WindowObject* object, int32_t index, rt::PropertyValue* result) {
    auto* unit = dynamic_cast<Unit*>(object);
    if (!unit || !result || index < 0 || index >= unit->Type().propertyCount)
        return 0;
    unit->GetOwn(index, result);
    return 1;
}

template <class Unit>
int32_t NotificationEventsEntry(rt::WindowObject* object, uint32_t code, int32_t* events,
                                int32_t capacity) {
    auto* unit = dynamic_cast<Unit*>(object);
    if (!unit)
        return 0;
    int32_t count = 0;
    for (int32_t event : unit->Events(code)) {
        if (count >= capacity || !events)
            break;
        events[count++] = event;
    }
    return count;
}

template <class Unit>
int32_t NotificationEntry(rt::WindowObject* object, uint32_t code) {
    int32_t event = -1;
    return NotificationEventsEntry<Unit>(object, code, &event, 1) == 1 ? event : -1;
}

// Entries 1, 4, 5 and 6, and 9 and 12 for types with events.
template <class Unit>
void* StandardOperation(int32_t operation, bool hasEvents) {
    switch (operation) {
        case rt::UNIT_ENTRY_CREATE:
            return reinterpret_cast<void*>(&CreateEntry<Unit>);
        case rt::UNIT_ENTRY_SET_PROPERTY:
            return reinterpret_cast<void*>(&SetPropertyEntry<Unit>);
        case rt::UNIT_ENTRY_SAVE_PROPERTIES:
            return reinterpret_cast<void*>(&SaveUnitPropertiesEntry);
        case rt::UNIT_ENTRY_GET_PROPERTY:
            return reinterpret_cast<void*>(&GetPropertyEntry<Unit>);
        case rt::UNIT_ENTRY_NOTIFICATION:
            return hasEvents ? reinterpret_cast<void*>(&NotificationEntry<Unit>) : nullptr;
        case rt::UNIT_ENTRY_NOTIFICATION_EVENTS:
            return hasEvents ? reinterpret_cast<void*>(&NotificationEventsEntry<Unit>) : nullptr;
        default:
            return nullptr;
    }
}

}  // namespace corelib::units
