#include "runtime/shortcut_keys.h"

#include <array>

namespace rt {
namespace {

constexpr uint16_t kKeyF1 = 0x70;
constexpr uint16_t kKeyInsert = 0x2D;
constexpr uint16_t kKeyDelete = 0x2E;
constexpr uint16_t kKeyBackspace = 0x08;

struct NamedShortcut {
    ShortcutKey key{0, 0};
    std::string name;
};

std::string ModifierPrefix(uint8_t flags) {
    std::string prefix;
    if (flags & SHORTCUT_CONTROL)
        prefix += "Ctrl+";
    if (flags & SHORTCUT_SHIFT)
        prefix += "Shift+";
    if (flags & SHORTCUT_ALT)
        prefix += "Alt+";
    return prefix;
}

std::array<NamedShortcut, kShortcutCount> BuildTable() {
    std::array<NamedShortcut, kShortcutCount> table;
    int32_t at = 1;
    auto add = [&](uint8_t flags, uint16_t key, const std::string& keyName) {
        table[size_t(at++)] = NamedShortcut{{flags, key}, ModifierPrefix(flags) + keyName};
    };
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        add(SHORTCUT_CONTROL, uint16_t(letter), std::string(1, letter));
    for (uint8_t flags : {uint8_t(0), SHORTCUT_CONTROL, SHORTCUT_SHIFT, SHORTCUT_ALT}) {
        for (uint16_t key = 1; key <= 12; ++key)
            add(flags, uint16_t(kKeyF1 + key - 1), "F" + std::to_string(key));
    }
    add(0, kKeyInsert, "Ins");
    add(0, kKeyDelete, "Del");
    add(SHORTCUT_ALT, kKeyBackspace, "Backspace");
    return table;
}

const std::array<NamedShortcut, kShortcutCount>& Table() {
    static const std::array<NamedShortcut, kShortcutCount> table = BuildTable();
    return table;
}

}  // namespace

ShortcutKey ShortcutKeyAt(int32_t index) {
    if (index < 1 || index >= kShortcutCount)
        return ShortcutKey{0, 0};
    return Table()[size_t(index)].key;
}

const char* ShortcutKeyName(int32_t index) {
    if (index < 1 || index >= kShortcutCount)
        return "";
    return Table()[size_t(index)].name.c_str();
}

std::string MenuItemCaption(const char* caption, int32_t shortcut) {
    std::string text = caption ? caption : "";
    const char* key = ShortcutKeyName(shortcut);
    if (*key)
        text = text + kShortcutSeparator + key;
    return text;
}

}  // namespace rt
