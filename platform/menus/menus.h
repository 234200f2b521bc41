// Menus and accelerators: menu bars drawn in a band at the top of a
// window's client area, pop-up menus as windows of their own (nested,
// with separators, checked and grey items), and accelerator tables that
// turn keys into WM_COMMAND. Item texts are runtime texts; "&" marks the
// mnemonic and a tab separates the shortcut's name.
#pragma once

#include <cstdint>

#include "platform/windowing/windows.h"

namespace platform {

using HMENU = void*;
using HACCEL = void*;

inline constexpr uint32_t MF_STRING = 0x0000;
inline constexpr uint32_t MF_ENABLED = 0x0000;
inline constexpr uint32_t MF_UNCHECKED = 0x0000;
inline constexpr uint32_t MF_BYCOMMAND = 0x0000;
inline constexpr uint32_t MF_GRAYED = 0x0001;
inline constexpr uint32_t MF_DISABLED = 0x0002;
inline constexpr uint32_t MF_CHECKED = 0x0008;
inline constexpr uint32_t MF_POPUP = 0x0010;
inline constexpr uint32_t MF_BYPOSITION = 0x0400;
inline constexpr uint32_t MF_SEPARATOR = 0x0800;
inline constexpr uint32_t kMenuNotFound = 0xFFFFFFFF;

inline constexpr uint32_t WM_INITMENU = 0x0116;
inline constexpr uint32_t WM_INITMENUPOPUP = 0x0117;

// ---- Menus ----
HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and every pop-up attached to it.
bool DestroyMenu(HMENU menu);
bool IsMenu(HMENU menu);
// With MF_POPUP, `idOrPopup` is the pop-up menu (which the menu then owns).
bool AppendMenu(HMENU menu, uint32_t flags, uintptr_t idOrPopup, const char* text);
bool InsertMenu(HMENU menu, uint32_t position, uint32_t flags, uintptr_t idOrPopup,
                const char* text);
// Removes an item; DeleteMenu also destroys its pop-up.
bool RemoveMenu(HMENU menu, uint32_t item, uint32_t flags);
bool DeleteMenu(HMENU menu, uint32_t item, uint32_t flags);
int GetMenuItemCount(HMENU menu);
// kMenuNotFound for a pop-up or a missing position.
uint32_t GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
// The item's MF_* state bits, kMenuNotFound when missing. By command, the
// item is looked for in the pop-ups too.
uint32_t GetMenuState(HMENU menu, uint32_t item, uint32_t flags);
int GetMenuString(HMENU menu, uint32_t item, char* buffer, int size, uint32_t flags);
// Both answer the previous state (MF_CHECKED, or MF_GRAYED/MF_DISABLED),
// kMenuNotFound when the item is missing.
uint32_t CheckMenuItem(HMENU menu, uint32_t item, uint32_t flags);
uint32_t EnableMenuItem(HMENU menu, uint32_t item, uint32_t flags);

// ---- Menu bars ----
// Attaches `menu` as the window's bar (null removes it). The window owns
// the bar it has when it is destroyed; a bar replaced before that is the
// caller's to destroy.
bool SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
bool DrawMenuBar(HWND hwnd);
// The band's height (0 without a bar) and its window.
int MenuBarHeight(HWND hwnd);
HWND MenuBarWindow(HWND hwnd);

// ---- Pop-up menus ----
inline constexpr uint32_t TPM_RETURNCMD = 0x0100;
// Shows `menu` at screen point (x, y) for `owner`, which receives
// WM_COMMAND for the chosen item (or, with TPM_RETURNCMD, the command is
// answered instead). With a display the call returns once the menu closes;
// without one the menu stays open and the call returns 0 at once, so that
// injected clicks can choose from it.
int TrackPopupMenu(HMENU menu, uint32_t flags, int x, int y, HWND owner);
// The open pop-up windows, outermost first (for tests and skins).
int OpenMenuWindows(HWND* windows, int capacity);
// Closes every open pop-up menu.
void EndMenu();

// ---- Keyboard ----
// Drops down, for the keyboard, the bar item of `owner` whose caption has
// the mnemonic `character` ("&F" for F or f) with its first item
// highlighted; character 0 drops down the first bar item. A bar item
// without a pop-up is chosen at once. Answers false when the window has no
// bar or no enabled item has the mnemonic. With a display the call returns
// once the menu has closed; without one the menu stays open and takes the
// keys given to TranslateMenuKey.
bool OpenMenuBarByKey(HWND owner, int character);
// While a menu is open, takes a key or character message for it: Up and
// Down move between items, Right opens a nested pop-up (or drops down the
// next bar item), Left closes one (or drops down the previous bar item),
// Enter or Space chooses, Escape closes one level, Alt or F10 closes the
// menu, a letter or digit chooses the item with that mnemonic. Every
// key-down and character message is taken while a menu is open (key-ups are
// not: dispatching them keeps the thread's key states right); the caller
// must not dispatch a taken message. Answers false when no menu is open.
bool TranslateMenuKey(const MSG* msg);

// ---- Accelerators ----
inline constexpr uint8_t FVIRTKEY = 0x01;
inline constexpr uint8_t FNOINVERT = 0x02;
inline constexpr uint8_t FSHIFT = 0x04;
inline constexpr uint8_t FCONTROL = 0x08;
inline constexpr uint8_t FALT = 0x10;
struct ACCEL {
    uint8_t fVirt = 0;
    uint16_t key = 0;
    uint16_t cmd = 0;
};
HACCEL CreateAcceleratorTable(const ACCEL* entries, int count);
bool DestroyAcceleratorTable(HACCEL table);
int CopyAcceleratorTable(HACCEL table, ACCEL* entries, int count);
// A key message matching an entry sends WM_COMMAND (high word 1) to
// `hwnd` and answers non-zero; the caller then does not dispatch it. An
// entry whose command is a grey item of the window's menu is matched but
// sends nothing.
int TranslateAccelerator(HWND hwnd, HACCEL table, const MSG* msg);

}  // namespace platform
