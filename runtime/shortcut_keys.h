// The fixed shortcut-key table of menu items: indices 1 to 77 name a key;
// 0 and anything above 77 mean no shortcut.
#pragma once

#include <cstdint>
#include <string>

namespace rt {

inline constexpr int32_t kShortcutCount = 78;
// Between a menu caption and its key name; menus align what follows a tab.
inline constexpr const char* kShortcutSeparator = "\t";

// The key's name ("Ctrl+O", "F5"), or "" for an index without one.
const char* ShortcutKeyName(int32_t index);

// The caption, then the separator and the key name when the index has one.
std::string MenuItemCaption(const char* caption, int32_t shortcut);

}  // namespace rt
