// Choosing from menus with the keyboard: dropping a bar item down by its
// mnemonic, and moving, opening and choosing inside the open pop-ups.
#include <cctype>

#include "platform/menus/menu_tracking.h"

namespace platform {
namespace menus {
namespace {

bool IsKeyDown(uint32_t message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
}

// Key-ups are left to the window: the thread's key states follow the
// messages it dispatches, and a modifier released while a menu was open
// must not stay down for it.
bool TakesMessage(uint32_t message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR ||
           message == WM_SYSCHAR;
}

// The mnemonic character of an item text ("E&xit" -> 'X'), upper-cased;
// 0 when it has none. "&&" is a literal ampersand.
int MnemonicOf(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(text[i + 1]));
    }
    return 0;
}

int MnemonicRow(const Menu* menu, int character, int from = -1) {
    int wanted = std::toupper(character);
    int count = int(menu->items.size());
    for (int k = 1; k <= count; ++k) {
        int row = (from + k + count) % count;
        const Item& item = menu->items[size_t(row)];
        if (!item.Separator() && !item.Grey() && MnemonicOf(item.text) == wanted)
            return row;
    }
    return -1;
}

// The next row from `from` in direction `step` that can be highlighted
// (grey items can, separators cannot), wrapping; -1 when none.
int NextRow(const Menu* menu, int from, int step) {
    int count = int(menu->items.size());
    if (count == 0)
        return -1;
    if (from < 0)
        from = step > 0 ? -1 : count;
    for (int k = 1; k <= count; ++k) {
        int row = ((from + step * k) % count + count) % count;
        if (!menu->items[size_t(row)].Separator())
            return row;
    }
    return -1;
}

HWND ActivePopup() {
    return g_tracking.popups.empty() ? nullptr : g_tracking.popups.back();
}

void Highlight(HWND popup, int row) {
    PopupState* state = StateOf(popup);
    if (!state || state->hot == row)
        return;
    state->hot = row;
    InvalidateRect(popup, nullptr, true);
}

void HighlightFirst(HWND popup) {
    if (PopupState* state = popup ? StateOf(popup) : nullptr)
        Highlight(popup, NextRow(state->menu, -1, 1));
}

BarInfo* TrackedBar() {
    if (!g_tracking.bar)
        return nullptr;
    auto it = g_bars.find(GetParent(g_tracking.bar));
    return it == g_bars.end() || !it->second.menu ? nullptr : &it->second;
}

// Opens the nested pop-up of the active pop-up's highlighted row.
bool OpenHighlightedPopup() {
    HWND popup = ActivePopup();
    PopupState* state = popup ? StateOf(popup) : nullptr;
    if (!state || state->hot < 0)
        return false;
    const Item& item = state->menu->items[size_t(state->hot)];
    if (!item.popup || item.Grey())
        return false;
    RECT r;
    GetWindowRect(popup, &r);
    HWND nested = OpenPopup(
        item.popup, POINT{r.right - 2, r.top + RowTop(state->menu, state->hot) - 3}, state->hot);
    HighlightFirst(nested);
    return true;
}

// Drops down the bar item `step` places away from the open one, skipping
// grey items.
void MoveAlongBar(int step) {
    BarInfo* bar = TrackedBar();
    if (!bar)
        return;
    int count = int(bar->menu->items.size());
    for (int k = 1; k <= count; ++k) {
        int index = ((g_tracking.barItem + step * k) % count + count) % count;
        const Item& item = bar->menu->items[size_t(index)];
        if (item.Grey() || !item.popup)
            continue;
        OpenBarItem(bar->bar, bar->menu, index);
        HighlightFirst(ActivePopup());
        return;
    }
}

void ChooseHighlighted() {
    HWND popup = ActivePopup();
    PopupState* state = popup ? StateOf(popup) : nullptr;
    if (!state || state->hot < 0)
        return;
    const Item& item = state->menu->items[size_t(state->hot)];
    if (item.popup) {
        OpenHighlightedPopup();
    } else if (!item.Grey() && !item.Separator()) {
        Choose(item.id);
    }
}

void TakeKey(WPARAM key) {
    HWND popup = ActivePopup();
    PopupState* state = StateOf(popup);
    if (!state)
        return;
    switch (key) {
        case VK_DOWN:
        case VK_UP:
            Highlight(popup, NextRow(state->menu, state->hot, key == VK_DOWN ? 1 : -1));
            return;
        case VK_RIGHT:
            if (!OpenHighlightedPopup())
                MoveAlongBar(1);
            return;
        case VK_LEFT:
            if (g_tracking.popups.size() > 1)
                ClosePopupsAfter(g_tracking.popups.size() - 1);
            else
                MoveAlongBar(-1);
            return;
        case VK_RETURN:
        case VK_SPACE:
            ChooseHighlighted();
            return;
        case VK_ESCAPE:
            if (g_tracking.popups.size() > 1)
                ClosePopupsAfter(g_tracking.popups.size() - 1);
            else
                EndMenu();
            return;
        case VK_MENU:
        case VK_F10:
            EndMenu();
            return;
        default:
            break;
    }
    bool letterOrDigit = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
    if (!letterOrDigit)
        return;
    int row = MnemonicRow(state->menu, int(key), state->hot);
    if (row < 0)
        return;
    Highlight(popup, row);
    ChooseHighlighted();
}

}  // namespace
}  // namespace menus

using namespace menus;

bool OpenMenuBarByKey(HWND owner, int character) {
    auto it = g_bars.find(owner);
    if (it == g_bars.end() || !it->second.menu || !it->second.bar || !RegisterMenuClasses())
        return false;
    Menu* menu = it->second.menu;
    int index = character ? MnemonicRow(menu, character) : NextRow(menu, -1, 1);
    if (index < 0 || menu->items[size_t(index)].Grey())
        return false;
    const Item& item = menu->items[size_t(index)];
    if (!item.popup) {
        SendMessage(owner, WM_COMMAND, MAKELPARAM(int(item.id), 0), 0);
        return true;
    }
    EndMenu();
    g_tracking.owner = owner;
    g_tracking.returnCommand = false;
    SendMessage(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    OpenBarItem(it->second.bar, menu, index);
    HighlightFirst(g_tracking.popups.empty() ? nullptr : g_tracking.popups.back());
    RunMenuLoop();
    return true;
}

bool TranslateMenuKey(const MSG* msg) {
    if (!msg || g_tracking.popups.empty() || !TakesMessage(msg->message))
        return false;
    if (IsKeyDown(msg->message))
        TakeKey(msg->wParam);
    return true;
}

}  // namespace platform
