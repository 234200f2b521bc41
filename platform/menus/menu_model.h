// Internal: menus as objects, shared by the bar, the pop-ups and the API.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/menus/menus.h"

namespace platform::menus {

struct Menu;
struct Item {
    uint32_t flags = 0;
    uint32_t id = 0;
    Menu* popup = nullptr;
    std::string text;  // runtime text
    bool Separator() const { return flags & MF_SEPARATOR; }
    bool Grey() const { return flags & (MF_GRAYED | MF_DISABLED); }
};
struct Menu {
    bool isPopup = false;
    std::vector<Item> items;
};

// Menus are used from the window thread that shows them; the lock guards
// the set of live menus only.
Menu* Resolve(HMENU handle);
std::string MnemonicFree(const std::string& text);

}  // namespace platform::menus
