// The fixed shortcut-key table of menu items. Index 0, and anything from
// kShortcutCount on, means no shortcut; indices 1 to 77 name a key:
//
//   INDEX    KEYS
//   1-26     Ctrl+A ... Ctrl+Z
//   27-38    F1 ... F12
//   39-50    Ctrl+F1 ... Ctrl+F12
//   51-62    Shift+F1 ... Shift+F12
//   63-74    Alt+F1 ... Alt+F12
//   75       Ins
//   76       Del
//   77       Alt+Backspace
//
// Each entry is the accelerator flag bits (the platform's FSHIFT, FCONTROL
// and FALT values) and a virtual key; menus show the entry's key name after
// the caption.
#pragma once

#include <cstdint>
#include <string>

namespace rt {

inline constexpr int32_t kShortcutCount = 78;

// Between a menu caption and its key name; menus align what follows a tab.
inline constexpr const char* kShortcutSeparator = "\t";
// A menu item whose full text is this becomes a separator line.
inline constexpr const char* kMenuSeparatorCaption = "-";

// Modifier bits of ShortcutKey::flags (the platform's accelerator bits).
inline constexpr uint8_t SHORTCUT_SHIFT = 0x04;
inline constexpr uint8_t SHORTCUT_CONTROL = 0x08;
inline constexpr uint8_t SHORTCUT_ALT = 0x10;

struct ShortcutKey {
    uint8_t flags;
    uint16_t virtualKey;  // 0: no key
};

// The table entry; {0, 0} for an index without one.
ShortcutKey ShortcutKeyAt(int32_t index);

// The key's name ("Ctrl+O", "F5", "Alt+F4"), or "" for an index without one.
const char* ShortcutKeyName(int32_t index);

// The caption, then the separator and the key name when the index has one.
std::string MenuItemCaption(const char* caption, int32_t shortcut);

}  // namespace rt
