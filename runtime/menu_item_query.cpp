// SN_GET_MENU_ITEM: what the menu bar shows for one command id.
#include <cstring>

#include "runtime/application_object.h"
#include "runtime/event_call.h"
#include "runtime/shortcut_keys.h"

namespace rt {
namespace {

// At most `limit` bytes, never ending on the lead byte of a two-byte
// character.
size_t CutLength(const std::string& text, size_t limit) {
    size_t at = 0;
    while (at < text.size()) {
        size_t step = (static_cast<unsigned char>(text[at]) & 0x80) && at + 1 < text.size() ? 2 : 1;
        if (at + step > limit)
            break;
        at += step;
    }
    return at;
}

}  // namespace

intptr_t ApplicationObject::GetMenuItem(MenuItemQuery* query) {
    if (!query || query->commandId < MENU_COMMAND_BASE)
        return 0;
    WindowRecord* window = windows_.FindWindow(query->windowId);
    if (!window)
        return 0;
    int32_t start = -1;
    int32_t count = window->units.MenuRun(&start);
    uint32_t item = query->commandId - MENU_COMMAND_BASE;
    if (count <= 0 || item >= uint32_t(count))
        return 0;
    int32_t index = start + int32_t(item);
    UnitEntryView unit = window->units.View(index);
    if (!unit.Valid() || !unit.IsMenuItem())
        return 0;

    std::string text = MenuItemCaption(unit.Caption(), unit.Shortcut());
    size_t length = CutLength(text, kMenuItemTextLimit);
    std::memcpy(query->text, text.data(), length);
    query->text[length] = 0;
    query->unitId = window->units.KeyAt(index);
    query->level = unit.Level();
    query->visible = (unit.MenuFlags() & MENU_FLAG_HIDDEN) ? 0 : 1;
    return 1;
}

}  // namespace rt
