#include "platform/menus/menu_model.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace platform {
namespace menus {
namespace {

std::mutex g_lock;
std::set<Menu*> g_live;

HMENU Make(bool popup) {
    auto* menu = new Menu;
    menu->isPopup = popup;
    std::lock_guard guard(g_lock);
    g_live.insert(menu);
    return menu;
}

// The item by position or by command (looking into pop-ups); *owner gets
// the menu holding it.
Item* Find(Menu* menu, uint32_t item, uint32_t flags, Menu** owner = nullptr) {
    if (!menu)
        return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= menu->items.size())
            return nullptr;
        if (owner)
            *owner = menu;
        return &menu->items[item];
    }
    for (Item& entry : menu->items) {
        if (!entry.popup && !entry.Separator() && entry.id == item) {
            if (owner)
                *owner = menu;
            return &entry;
        }
        if (entry.popup) {
            if (Item* inner = Find(entry.popup, item, flags, owner))
                return inner;
        }
    }
    return nullptr;
}

void Destroy(Menu* menu) {
    {
        std::lock_guard guard(g_lock);
        if (!g_live.erase(menu))
            return;
    }
    for (Item& item : menu->items) {
        if (item.popup)
            Destroy(item.popup);
    }
    delete menu;
}

bool Insert(HMENU handle, size_t position, uint32_t flags, uintptr_t idOrPopup, const char* text) {
    Menu* menu = Resolve(handle);
    if (!menu)
        return false;
    Item item;
    item.flags = flags & ~MF_BYPOSITION;
    if (flags & MF_POPUP) {
        item.popup = Resolve(reinterpret_cast<HMENU>(idOrPopup));
        if (!item.popup || item.popup == menu)
            return false;
        item.popup->isPopup = true;
    } else {
        item.id = uint32_t(idOrPopup);
    }
    if (!(flags & MF_SEPARATOR))
        item.text = text ? text : "";
    position = std::min(position, menu->items.size());
    menu->items.insert(menu->items.begin() + ptrdiff_t(position), std::move(item));
    return true;
}

}  // namespace

Menu* Resolve(HMENU handle) {
    std::lock_guard guard(g_lock);
    auto* menu = static_cast<Menu*>(handle);
    return g_live.count(menu) ? menu : nullptr;
}

std::string MnemonicFree(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        if (text[i] == '\t')
            break;
        out += text[i];
    }
    return out;
}

}  // namespace menus

using namespace menus;

HMENU CreateMenu() {
    return Make(false);
}
HMENU CreatePopupMenu() {
    return Make(true);
}

bool DestroyMenu(HMENU menu) {
    Menu* m = Resolve(menu);
    if (!m)
        return false;
    Destroy(m);
    return true;
}

bool IsMenu(HMENU menu) {
    return Resolve(menu) != nullptr;
}

bool AppendMenu(HMENU menu, uint32_t flags, uintptr_t idOrPopup, const char* text) {
    return Insert(menu, SIZE_MAX, flags, idOrPopup, text);
}

bool InsertMenu(HMENU menu, uint32_t position, uint32_t flags, uintptr_t idOrPopup,
                const char* text) {
    Menu* m = Resolve(menu);
    if (!m)
        return false;
    size_t at = position;
    if (!(flags & MF_BYPOSITION)) {
        at = m->items.size();
        for (size_t i = 0; i < m->items.size(); ++i) {
            if (!m->items[i].popup && m->items[i].id == position)
                at = i;
        }
    }
    return Insert(menu, at, flags, idOrPopup, text);
}

static bool Remove(HMENU menu, uint32_t item, uint32_t flags, bool destroyPopup) {
    Menu* owner = nullptr;
    Item* found = Find(Resolve(menu), item, flags, &owner);
    if (!found)
        return false;
    Menu* popup = found->popup;
    owner->items.erase(owner->items.begin() + (found - owner->items.data()));
    if (popup && destroyPopup)
        Destroy(popup);
    return true;
}

bool RemoveMenu(HMENU menu, uint32_t item, uint32_t flags) {
    return Remove(menu, item, flags, false);
}
bool DeleteMenu(HMENU menu, uint32_t item, uint32_t flags) {
    return Remove(menu, item, flags, true);
}

int GetMenuItemCount(HMENU menu) {
    Menu* m = Resolve(menu);
    return m ? int(m->items.size()) : -1;
}

uint32_t GetMenuItemID(HMENU menu, int position) {
    Menu* m = Resolve(menu);
    if (!m || position < 0 || size_t(position) >= m->items.size())
        return kMenuNotFound;
    const Item& item = m->items[size_t(position)];
    return item.popup ? kMenuNotFound : item.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
    Menu* m = Resolve(menu);
    if (!m || position < 0 || size_t(position) >= m->items.size())
        return nullptr;
    return m->items[size_t(position)].popup;
}

uint32_t GetMenuState(HMENU menu, uint32_t item, uint32_t flags) {
    Item* found = Find(Resolve(menu), item, flags);
    if (!found)
        return kMenuNotFound;
    uint32_t state =
        found->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP);
    if (found->popup)
        state |= uint32_t(found->popup->items.size()) << 8;
    return state;
}

int GetMenuString(HMENU menu, uint32_t item, char* buffer, int size, uint32_t flags) {
    Item* found = Find(Resolve(menu), item, flags);
    if (!found)
        return 0;
    if (!buffer || size <= 0)
        return int(found->text.size());
    size_t n = std::min(found->text.size(), size_t(size - 1));
    std::memcpy(buffer, found->text.data(), n);
    buffer[n] = 0;
    return int(n);
}

uint32_t CheckMenuItem(HMENU menu, uint32_t item, uint32_t flags) {
    Item* found = Find(Resolve(menu), item, flags);
    if (!found)
        return kMenuNotFound;
    uint32_t previous = found->flags & MF_CHECKED;
    found->flags = (found->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

uint32_t EnableMenuItem(HMENU menu, uint32_t item, uint32_t flags) {
    Item* found = Find(Resolve(menu), item, flags);
    if (!found)
        return kMenuNotFound;
    uint32_t previous = found->flags & (MF_GRAYED | MF_DISABLED);
    found->flags =
        (found->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

}  // namespace platform
