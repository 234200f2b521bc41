// The fixed shortcut-key table: every index from 1 to 77 names one distinct
// key, and the names say what the accelerator entries do.
#include "runtime/shortcut_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(ShortcutKeysTest, SeventySevenDistinctNamedKeys) {
    std::set<std::string> names;
    std::set<std::pair<uint8_t, uint16_t>> keys;
    for (int32_t index = 1; index <= 77; ++index) {
        rt::ShortcutKey key = rt::ShortcutKeyAt(index);
        EXPECT_NE(key.virtualKey, 0) << index;
        EXPECT_STRNE(rt::ShortcutKeyName(index), "") << index;
        names.insert(rt::ShortcutKeyName(index));
        keys.insert({key.flags, key.virtualKey});
    }
    EXPECT_EQ(names.size(), 77u);
    EXPECT_EQ(keys.size(), 77u);
    for (int32_t index : {-1, 0, 78, 1000}) {
        EXPECT_EQ(rt::ShortcutKeyAt(index).virtualKey, 0);
        EXPECT_STREQ(rt::ShortcutKeyName(index), "");
    }
}

TEST(ShortcutKeysTest, NamesMatchTheirFlagsAndKeys) {
    struct Expected {
        int32_t index;
        const char* name;
        uint8_t flags;
        uint16_t key;
    };
    const Expected expected[] = {
        {1, "Ctrl+A", rt::SHORTCUT_CONTROL, 'A'},
        {26, "Ctrl+Z", rt::SHORTCUT_CONTROL, 'Z'},
        {27, "F1", 0, 0x70},
        {38, "F12", 0, 0x7B},
        {39, "Ctrl+F1", rt::SHORTCUT_CONTROL, 0x70},
        {51, "Shift+F1", rt::SHORTCUT_SHIFT, 0x70},
        {66, "Alt+F4", rt::SHORTCUT_ALT, 0x73},
        {74, "Alt+F12", rt::SHORTCUT_ALT, 0x7B},
        {75, "Ins", 0, 0x2D},
        {76, "Del", 0, 0x2E},
        {77, "Alt+Backspace", rt::SHORTCUT_ALT, 0x08},
    };
    for (const Expected& e : expected) {
        EXPECT_STREQ(rt::ShortcutKeyName(e.index), e.name);
        EXPECT_EQ(rt::ShortcutKeyAt(e.index).flags, e.flags) << e.name;
        EXPECT_EQ(rt::ShortcutKeyAt(e.index).virtualKey, e.key) << e.name;
    }
}

TEST(ShortcutKeysTest, CaptionGetsTheSeparatorAndKeyNameOnlyWithAKey) {
    EXPECT_EQ(rt::MenuItemCaption("&Open", 15), "&Open\tCtrl+O");
    EXPECT_EQ(rt::MenuItemCaption("&Open", 0), "&Open");
    EXPECT_EQ(rt::MenuItemCaption("&Open", 78), "&Open");
    EXPECT_EQ(rt::MenuItemCaption(nullptr, 27), "\tF1");
}

}  // namespace
