#include "runtime/properties/unit_properties.h"

#include <cstring>
#include <string>
#include <vector>

#include "corelib/commands/core_library.h"
#include "runtime/library_info.h"
#include "runtime/notify.h"
#include "runtime/properties/common_properties.h"
#include "runtime/properties/font_kind.h"
#include "runtime/properties/value_kinds.h"

namespace rt {
namespace {

// What an own property needs: the type's getter and setter and the
// property's kind. Resolved anew for every access, since a library may
// answer for its types only once it has been announced.
struct OwnProperty {
    UnitGetPropertyRoutine get = nullptr;
    UnitSetPropertyRoutine set = nullptr;
    int32_t index = -1;
    KindClass kind = KindClass::Unknown;
};

bool ResolveOwn(uint32_t unitType, uint32_t propertyNumber, OwnProperty* out) {
    if (propertyNumber < COMMON_PROPERTY_COUNT)
        return false;
    const auto* info = reinterpret_cast<const DataTypeInfo*>(
        corelib::CallSystem(SN_GET_TYPE_INFO, intptr_t(unitType), 0));
    if (!info || !info->properties || !info->findOperation)
        return false;
    uint32_t own = propertyNumber - COMMON_PROPERTY_COUNT;
    if (info->propertyCount <= 0 || own >= uint32_t(info->propertyCount))
        return false;
    out->index = int32_t(own);
    out->kind = ClassOfKind(info->properties[own].kind);
    out->get =
        reinterpret_cast<UnitGetPropertyRoutine>(info->findOperation(UNIT_ENTRY_GET_PROPERTY));
    out->set =
        reinterpret_cast<UnitSetPropertyRoutine>(info->findOperation(UNIT_ENTRY_SET_PROPERTY));
    return out->kind != KindClass::Unknown;
}

int32_t PropertyCountOf(uint32_t unitType) {
    const auto* info = reinterpret_cast<const DataTypeInfo*>(
        corelib::CallSystem(SN_GET_TYPE_INFO, intptr_t(unitType), 0));
    return info && info->properties ? info->propertyCount : 0;
}

}  // namespace

int16_t CommonPropertyKind(uint32_t number) {
    switch (number) {
        case COMMON_PROPERTY_LEFT:
        case COMMON_PROPERTY_TOP:
        case COMMON_PROPERTY_WIDTH:
        case COMMON_PROPERTY_HEIGHT:
            return KIND_WORD;
        case COMMON_PROPERTY_VISIBLE:
        case COMMON_PROPERTY_ENABLED:
        case COMMON_PROPERTY_TAB_STOP:
            return KIND_LOGICAL;
        case COMMON_PROPERTY_TAG:
            return KIND_TEXT;
        default:
            return 0;
    }
}

uint64_t GetUnitProperty(uint32_t unitType, WindowObject* unit, uint32_t propertyNumber,
                         int32_t element) {
    if (!unit)
        return 0;
    if (propertyNumber < COMMON_PROPERTY_COUNT)
        return GetCommonProperty(unit, propertyNumber);
    OwnProperty property;
    if (!ResolveOwn(unitType, propertyNumber, &property))
        return 0;
    if (property.kind == KindClass::Font)
        return GetFontProperty(property.get, unit, property.index, element);
    if (!property.get)
        return 0;
    // A getter that fails leaves the record cleared: 0, null or empty.
    PropertyValue record{0, 0};
    property.get(unit, property.index, &record);
    return ValueFromRecord(property.kind, record);
}

void SetUnitProperty(uint32_t unitType, WindowObject* unit, uint32_t propertyNumber,
                     int32_t element, uint32_t valueLow, uint32_t valueHigh) {
    if (!unit)
        return;
    if (propertyNumber < COMMON_PROPERTY_COUNT) {
        SetCommonProperty(unit, propertyNumber, valueLow, valueHigh);
        return;
    }
    OwnProperty property;
    if (!ResolveOwn(unitType, propertyNumber, &property) || !property.set)
        return;
    if (property.kind == KindClass::Font) {
        SetFontProperty(property.get, property.set, unit, property.index, element, valueLow,
                        valueHigh);
        return;
    }
    std::vector<uint8_t> scratch;
    PropertyValue record = RecordFromValue(property.kind, valueLow, valueHigh, &scratch);
    int32_t cleared = 0;
    property.set(unit, property.index, &record, &cleared);
}

void RefreshUnitProperties(uint32_t unitType, WindowObject* unit) {
    if (!unit)
        return;
    int32_t count = PropertyCountOf(unitType);
    for (int32_t own = 0; own < count; ++own) {
        OwnProperty property;
        if (!ResolveOwn(unitType, uint32_t(own) + COMMON_PROPERTY_COUNT, &property) ||
            !property.get || !property.set)
            continue;
        PropertyValue record{0, 0};
        if (property.get(unit, own, &record) != 1)
            continue;
        // The record may point into the unit's own storage, which the setter
        // replaces: hand the setter a copy.
        std::vector<uint8_t> copy;
        switch (property.kind) {
            case KindClass::Text: {
                const auto* text = reinterpret_cast<const char*>(record.w0);
                size_t length = text ? std::strlen(text) : 0;
                copy.assign(text, text + length);
                copy.push_back('\0');
                record.w0 = reinterpret_cast<uintptr_t>(copy.data());
                break;
            }
            case KindClass::Bytes:
            case KindClass::CodedBytes:
            case KindClass::Font:
                if (record.w0 && record.w1) {
                    const auto* bytes = reinterpret_cast<const uint8_t*>(record.w0);
                    copy.assign(bytes, bytes + record.w1);
                    record.w0 = reinterpret_cast<uintptr_t>(copy.data());
                }
                break;
            default:
                break;
        }
        int32_t cleared = 0;
        property.set(unit, own, &record, &cleared);
    }
}

}  // namespace rt
