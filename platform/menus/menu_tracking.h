// Internal: the state of the menu being tracked, shared by the pointer
// handling of the bar and pop-up windows (menu_windows.cpp) and keyboard
// navigation (menu_keyboard.cpp). Menus run on the thread that owns the
// window they belong to; nothing here is locked.
#pragma once

#include <map>
#include <vector>

#include "platform/menus/menu_model.h"

namespace platform::menus {

struct BarInfo {
    Menu* menu = nullptr;
    HWND bar = nullptr;
    WNDPROC original = nullptr;
};
extern std::map<HWND, BarInfo> g_bars;  // by owner window

struct Tracking {
    HWND owner = nullptr;
    HWND bar = nullptr;  // the bar the menus came from, if any
    int barItem = -1;
    std::vector<HWND> popups;  // outermost first; the last one is active
    bool returnCommand = false;
    int chosen = 0;
};
extern Tracking g_tracking;

struct PopupState {
    Menu* menu = nullptr;
    int hot = -1;  // highlighted row, -1 none
};
PopupState* StateOf(HWND popup);

int RowTop(Menu* menu, int row);
// Opens `menu` as a pop-up at a screen point; it becomes the active one.
HWND OpenPopup(Menu* menu, POINT screen, int index);
// Closes the pop-ups after the first `keep`.
void ClosePopupsAfter(size_t keep);
// Drops down item `index` of a bar (closing whatever was open).
void OpenBarItem(HWND bar, Menu* menu, int index);
// Ends the menu and delivers command `id`.
void Choose(uint32_t id);
// With a display, runs until the menu closes; returns at once without one.
void RunMenuLoop();
bool RegisterMenuClasses();

}  // namespace platform::menus
