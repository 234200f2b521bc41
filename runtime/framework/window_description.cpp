#include "runtime/framework/window_description.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "runtime/application_object.h"
#include "runtime/ids.h"
#include "runtime/unit_entry.h"
#include "runtime/unit_property_block.h"

namespace rt {
namespace {

const WindowDescription* const* g_descriptions = nullptr;
int32_t g_descriptionCount = 0;

std::vector<uint8_t> PropertyBlockOf(const UnitDescription& unit) {
    PropertyBlockWriter writer;
    for (int32_t i = 0; i < unit.propertyCount; ++i) {
        const UnitPropertySpec& property = unit.properties[i];
        if (property.text)
            writer.Bytes(property.index, std::string_view(property.text));
        else
            writer.Word(property.index, property.word);
    }
    return writer.Finish();
}

std::vector<uint8_t> RecordOf(const UnitDescription& unit) {
    UnitEntryFields fields;
    fields.type = unit.type;
    fields.parent = unit.parent;
    fields.geometry[0] = unit.left;
    fields.geometry[1] = unit.top;
    fields.geometry[2] = unit.width;
    fields.geometry[3] = unit.height;
    fields.name = unit.name ? unit.name : "";
    fields.style = unit.style;
    fields.exStyle = unit.exStyle;
    fields.tabOrder = unit.tabOrder;
    fields.typeData = PropertyBlockOf(unit);
    fields.flags = unit.flags;
    fields.windowHandler = reinterpret_cast<uintptr_t>(unit.windowHandler);
    for (int32_t i = 0; i < unit.eventCount; ++i) {
        fields.events.emplace_back(uint32_t(unit.events[i].event),
                                   reinterpret_cast<uintptr_t>(unit.events[i].handler));
    }
    return BuildUnitEntry(fields);
}

}  // namespace

void SetWindowDescriptions(const WindowDescription* const* descriptions, int32_t count) {
    g_descriptions = descriptions;
    g_descriptionCount = descriptions ? count : 0;
}

const WindowDescription* FindWindowDescription(uint32_t windowId) {
    for (int32_t i = 0; i < g_descriptionCount; ++i) {
        if (g_descriptions[i] && g_descriptions[i]->id == windowId)
            return g_descriptions[i];
    }
    return nullptr;
}

bool InstallWindowDescription(const WindowDescription& description) {
    if (description.unitCount < 1 || description.units[0].type != WINDOW_UNIT_TYPE)
        return false;
    for (int32_t i = 0; i < description.unitCount; ++i) {
        if (!IsValidId(description.units[i].id))
            return false;
        for (int32_t j = 0; j < i; ++j) {
            if (description.units[j].id == description.units[i].id)
                return false;
        }
    }
    WindowMap& windows = ApplicationObject::Instance().Windows();
    WindowRecord* window = windows.AddWindow(description.id);
    if (!window)
        return false;
    for (int32_t i = 0; i < description.unitCount; ++i) {
        std::vector<uint8_t> record = RecordOf(description.units[i]);
        window->units.AppendKeyed(description.units[i].id, record.data(), uint32_t(record.size()));
    }
    return true;
}

}  // namespace rt
