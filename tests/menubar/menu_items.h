// Menu-item records for the menu bar tests, kept in a unit table as a
// window keeps them.
#pragma once

#include <string>
#include <vector>

#include "runtime/window_record.h"

namespace menutest {

struct Item {
    int32_t level;
    const char* caption;
    uint32_t flags = 0;
    int32_t shortcut = 0;
};

// Appends the items as menu-item units (ids of class 2, kind 6).
inline void AddItems(rt::UnitTable& units, const std::vector<Item>& items) {
    for (const Item& item : items) {
        rt::MenuItemFields fields;
        fields.type = 0x10010;
        fields.name = item.caption;
        fields.level = item.level;
        fields.flags = item.flags;
        fields.shortcut = item.shortcut;
        fields.caption = item.caption;
        std::vector<uint8_t> body = rt::BuildMenuItemEntry(fields);
        units.Append(body.data(), uint32_t(body.size()), 0x26000000);
    }
}

inline std::vector<rt::UnitEntryView> Views(rt::UnitTable& units) {
    std::vector<rt::UnitEntryView> views;
    for (int32_t i = 0; i < units.Count(); ++i) {
        if (units.View(i).IsMenuItem())
            views.push_back(units.View(i));
    }
    return views;
}

}  // namespace menutest
