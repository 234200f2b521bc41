// Accelerator tables: keys that stand for menu commands.
#include <algorithm>
#include <mutex>
#include <set>
#include <vector>

#include "platform/menus/menus.h"

namespace platform {
namespace {

struct Table {
    std::vector<ACCEL> entries;
};
std::mutex g_lock;
std::set<Table*> g_tables;

Table* Resolve(HACCEL handle) {
    std::lock_guard guard(g_lock);
    auto* table = static_cast<Table*>(handle);
    return g_tables.count(table) ? table : nullptr;
}

bool Down(int key) {
    return GetKeyState(key) < 0;
}

}  // namespace

HACCEL CreateAcceleratorTable(const ACCEL* entries, int count) {
    if (!entries || count <= 0)
        return nullptr;
    auto* table = new Table{std::vector<ACCEL>(entries, entries + count)};
    std::lock_guard guard(g_lock);
    g_tables.insert(table);
    return table;
}

bool DestroyAcceleratorTable(HACCEL handle) {
    std::lock_guard guard(g_lock);
    auto* table = static_cast<Table*>(handle);
    if (!g_tables.erase(table))
        return false;
    delete table;
    return true;
}

int CopyAcceleratorTable(HACCEL handle, ACCEL* entries, int count) {
    Table* table = Resolve(handle);
    if (!table)
        return 0;
    if (!entries)
        return int(table->entries.size());
    int n = std::min(count, int(table->entries.size()));
    for (int i = 0; i < n; ++i)
        entries[i] = table->entries[size_t(i)];
    return n;
}

int TranslateAccelerator(HWND hwnd, HACCEL handle, const MSG* msg) {
    Table* table = Resolve(handle);
    if (!table || !msg || !IsWindow(hwnd))
        return 0;
    bool keyDown = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    bool character = msg->message == WM_CHAR || msg->message == WM_SYSCHAR;
    if (!keyDown && !character)
        return 0;
    bool shift = Down(VK_SHIFT), control = Down(VK_CONTROL), alt = Down(VK_MENU);
    for (const ACCEL& entry : table->entries) {
        bool virtualKey = entry.fVirt & FVIRTKEY;
        if (virtualKey != keyDown || entry.key != uint16_t(msg->wParam))
            continue;
        if (virtualKey &&
            (bool(entry.fVirt & FSHIFT) != shift || bool(entry.fVirt & FCONTROL) != control))
            continue;
        if (bool(entry.fVirt & FALT) != alt)
            continue;
        // A grey menu item's accelerator is swallowed, not obeyed.
        HMENU menu = GetMenu(hwnd);
        uint32_t state = menu ? GetMenuState(menu, entry.cmd, MF_BYCOMMAND) : kMenuNotFound;
        if (state != kMenuNotFound && (state & (MF_GRAYED | MF_DISABLED)))
            return 1;
        SendMessage(hwnd, WM_COMMAND, MAKELPARAM(entry.cmd, 1), 0);
        return 1;
    }
    return 0;
}

}  // namespace platform
