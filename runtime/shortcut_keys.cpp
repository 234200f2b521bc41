#include "runtime/shortcut_keys.h"

#include <array>

namespace rt {
namespace {

// 1-26 Ctrl+letter, 27-38 F1-F12, 39-50 Ctrl+F-key, 51-62 Shift+F-key,
// 63-74 Ctrl+Shift+F-key, 75-77 editing keys.
std::array<std::string, kShortcutCount> BuildNames() {
    std::array<std::string, kShortcutCount> names;
    int32_t at = 1;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        names[at++] = std::string("Ctrl+") + letter;
    for (const char* prefix : {"", "Ctrl+", "Shift+", "Ctrl+Shift+"}) {
        for (int key = 1; key <= 12; ++key)
            names[at++] = prefix + std::string("F") + std::to_string(key);
    }
    names[at++] = "Ins";
    names[at++] = "Del";
    names[at++] = "Shift+Del";
    return names;
}

}  // namespace

const char* ShortcutKeyName(int32_t index) {
    static const std::array<std::string, kShortcutCount> names = BuildNames();
    if (index < 1 || index >= kShortcutCount)
        return "";
    return names[size_t(index)].c_str();
}

std::string MenuItemCaption(const char* caption, int32_t shortcut) {
    std::string text = caption ? caption : "";
    const char* key = ShortcutKeyName(shortcut);
    if (*key)
        text = text + kShortcutSeparator + key;
    return text;
}

}  // namespace rt
