// Menu bars and pop-ups built from runs of menu-item units: structure,
// command ids, hidden and grey items, separators and accelerators.
#include "runtime/menubar/menu_builder.h"

#include <gtest/gtest.h>

#include "runtime/event_call.h"
#include "tests/menubar/menu_items.h"

namespace {

using menutest::Item;
using platform::HMENU;

std::string TextAt(HMENU menu, int position) {
    char text[128] = {};
    platform::GetMenuString(menu, uint32_t(position), text, sizeof text, platform::MF_BYPOSITION);
    return text;
}

class MenuBuilderTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (bar_)
            platform::DestroyMenu(bar_);
        if (accelerators_)
            platform::DestroyAcceleratorTable(accelerators_);
    }
    HMENU Build(const std::vector<Item>& items, int32_t mode = rt::MENU_BUILD_NORMAL,
                bool variant = false) {
        menutest::AddItems(units_, items);
        bar_ = rt::BuildMenuBar(menutest::Views(units_), mode, &accelerators_, variant);
        return bar_;
    }

    rt::UnitTable units_;
    HMENU bar_ = nullptr;
    platform::HACCEL accelerators_ = nullptr;
};

TEST_F(MenuBuilderTest, LevelsMakePopupsAndEveryItemTakesTheNextId) {
    HMENU bar = Build({{0, "&File"}, {1, "&Open"}, {1, "&Save"}, {0, "&View"}, {1, "&Grid"}});
    ASSERT_EQ(platform::GetMenuItemCount(bar), 2);
    EXPECT_EQ(TextAt(bar, 0), "&File");
    EXPECT_EQ(TextAt(bar, 1), "&View");
    HMENU file = platform::GetSubMenu(bar, 0);
    HMENU view = platform::GetSubMenu(bar, 1);
    ASSERT_EQ(platform::GetMenuItemCount(file), 2);
    ASSERT_EQ(platform::GetMenuItemCount(view), 1);
    EXPECT_EQ(platform::GetMenuItemID(file, 0), 20001u);
    EXPECT_EQ(platform::GetMenuItemID(file, 1), 20002u);
    EXPECT_EQ(platform::GetMenuItemID(view, 0), 20004u);
    EXPECT_EQ(TextAt(file, 1), "&Save");
    // Each pop-up's handle is left in the item that opens it.
    EXPECT_EQ(units_.View(0).PopupHandle(), reinterpret_cast<rt::NativeHandle>(file));
    EXPECT_EQ(units_.View(3).PopupHandle(), reinterpret_cast<rt::NativeHandle>(view));
    EXPECT_EQ(units_.View(1).PopupHandle(), 0u);
    EXPECT_EQ(accelerators_, nullptr);
}

TEST_F(MenuBuilderTest, NestedPopupsFollowDeeperLevels) {
    HMENU bar = Build({{0, "&File"}, {1, "&Recent"}, {2, "one"}, {2, "two"}, {1, "E&xit"}});
    HMENU file = platform::GetSubMenu(bar, 0);
    ASSERT_EQ(platform::GetMenuItemCount(file), 2);
    HMENU recent = platform::GetSubMenu(file, 0);
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(platform::GetMenuItemID(recent, 0), 20002u);
    EXPECT_EQ(platform::GetMenuItemID(recent, 1), 20003u);
    EXPECT_EQ(platform::GetMenuItemID(file, 1), 20004u);
}

TEST_F(MenuBuilderTest, AHiddenTopItemHidesItsPopupButKeepsItsIds) {
    HMENU bar = Build({{0, "&File", rt::MENU_FLAG_HIDDEN},
                       {1, "&Open"},
                       {1, "&Save"},
                       {0, "&View"},
                       {1, "&Grid"}});
    ASSERT_EQ(platform::GetMenuItemCount(bar), 1);
    EXPECT_EQ(TextAt(bar, 0), "&View");
    EXPECT_EQ(platform::GetMenuItemID(platform::GetSubMenu(bar, 0), 0), 20004u);
    EXPECT_EQ(units_.View(0).PopupHandle(), 0u);
    EXPECT_EQ(platform::GetMenuState(bar, 20001, platform::MF_BYCOMMAND), platform::kMenuNotFound);
}

TEST_F(MenuBuilderTest, AHiddenLeafIsLeftOutAndItsIdIsNotReused) {
    HMENU bar =
        Build({{0, "&File"}, {1, "&Open", rt::MENU_FLAG_HIDDEN}, {1, "&Save"}, {1, "&Close"}});
    HMENU file = platform::GetSubMenu(bar, 0);
    ASSERT_EQ(platform::GetMenuItemCount(file), 2);
    EXPECT_EQ(platform::GetMenuItemID(file, 0), 20002u);
    EXPECT_EQ(platform::GetMenuItemID(file, 1), 20003u);
}

TEST_F(MenuBuilderTest, SeparatorTextMakesASeparatorThatNeverCarriesACommand) {
    HMENU bar = Build({{0, "&File"}, {1, "&Open"}, {1, "-"}, {1, "E&xit"}, {1, "-", 0, 15}});
    HMENU file = platform::GetSubMenu(bar, 0);
    ASSERT_EQ(platform::GetMenuItemCount(file), 4);
    EXPECT_TRUE(platform::GetMenuState(file, 1, platform::MF_BYPOSITION) & platform::MF_SEPARATOR);
    EXPECT_EQ(platform::GetMenuState(bar, 20002, platform::MF_BYCOMMAND), platform::kMenuNotFound);
    EXPECT_EQ(platform::GetMenuItemID(file, 2), 20003u);
    // With a key name the full text is no longer the separator text.
    EXPECT_FALSE(platform::GetMenuState(file, 3, platform::MF_BYPOSITION) & platform::MF_SEPARATOR);
    EXPECT_EQ(TextAt(file, 3), "-\tCtrl+O");
}

TEST_F(MenuBuilderTest, GreyAndCheckedItemsAndAGreyPopup) {
    HMENU bar = Build({{0, "&Edit", rt::MENU_FLAG_GREY},
                       {1, "&Undo", rt::MENU_FLAG_GREY},
                       {1, "&Wrap", rt::MENU_FLAG_CHECKED}});
    EXPECT_TRUE(platform::GetMenuState(bar, 0, platform::MF_BYPOSITION) & platform::MF_GRAYED);
    EXPECT_EQ(platform::GetMenuState(bar, 20001, platform::MF_BYCOMMAND), platform::MF_GRAYED);
    EXPECT_EQ(platform::GetMenuState(bar, 20002, platform::MF_BYCOMMAND), platform::MF_CHECKED);
}

TEST_F(MenuBuilderTest, ModeOneShowsEverythingAndStoresNothing) {
    HMENU bar = Build({{0, "&File", rt::MENU_FLAG_HIDDEN | rt::MENU_FLAG_GREY},
                       {1, "&Open", rt::MENU_FLAG_HIDDEN},
                       {1, "&Save", rt::MENU_FLAG_GREY | rt::MENU_FLAG_CHECKED}},
                      rt::MENU_BUILD_ALL);
    ASSERT_EQ(platform::GetMenuItemCount(bar), 1);
    EXPECT_FALSE(platform::GetMenuState(bar, 0, platform::MF_BYPOSITION) & platform::MF_GRAYED);
    HMENU file = platform::GetSubMenu(bar, 0);
    ASSERT_EQ(platform::GetMenuItemCount(file), 2);
    EXPECT_EQ(platform::GetMenuState(bar, 20002, platform::MF_BYCOMMAND), platform::MF_CHECKED);
    EXPECT_EQ(units_.View(0).PopupHandle(), 0u);
}

TEST_F(MenuBuilderTest, TheVariantBuildsTheSameMenu) {
    HMENU bar =
        Build({{0, "&Edit"}, {1, "&Undo", rt::MENU_FLAG_GREY}, {1, "&Wrap", rt::MENU_FLAG_CHECKED}},
              rt::MENU_BUILD_NORMAL, true);
    EXPECT_EQ(platform::GetMenuState(bar, 20001, platform::MF_BYCOMMAND), platform::MF_GRAYED);
    EXPECT_EQ(platform::GetMenuState(bar, 20002, platform::MF_BYCOMMAND), platform::MF_CHECKED);
}

TEST_F(MenuBuilderTest, ATopItemWithoutItemsIsACommandOfTheBar) {
    HMENU bar = Build({{0, "&File"}, {1, "&Open"}, {0, "&About"}});
    ASSERT_EQ(platform::GetMenuItemCount(bar), 2);
    EXPECT_EQ(platform::GetSubMenu(bar, 1), nullptr);
    EXPECT_EQ(platform::GetMenuItemID(bar, 1), 20002u);
}

TEST_F(MenuBuilderTest, ShortcutsGiveKeyNamesAndAcceleratorsOnlyFromOneTo77) {
    HMENU bar = Build({{0, "&File"},
                       {1, "&Open", 0, 15},                         // Ctrl+O
                       {1, "&None", 0, 0},                          // no shortcut
                       {1, "&Beyond", 0, 78},                       // past the table
                       {1, "E&xit", 0, 66},                         // Alt+F4
                       {1, "&Hidden", rt::MENU_FLAG_HIDDEN, 27}});  // F1, not shown
    HMENU file = platform::GetSubMenu(bar, 0);
    EXPECT_EQ(TextAt(file, 0), "&Open\tCtrl+O");
    EXPECT_EQ(TextAt(file, 1), "&None");
    EXPECT_EQ(TextAt(file, 2), "&Beyond");
    EXPECT_EQ(TextAt(file, 3), "E&xit\tAlt+F4");
    ASSERT_NE(accelerators_, nullptr);
    platform::ACCEL entries[8];
    ASSERT_EQ(platform::CopyAcceleratorTable(accelerators_, entries, 8), 2);
    EXPECT_EQ(entries[0].fVirt, platform::FVIRTKEY | platform::FNOINVERT | platform::FCONTROL);
    EXPECT_EQ(entries[0].key, 'O');
    EXPECT_EQ(entries[0].cmd, 20001);
    EXPECT_EQ(entries[1].fVirt, platform::FVIRTKEY | platform::FNOINVERT | platform::FALT);
    EXPECT_EQ(entries[1].key, 0x73);
    EXPECT_EQ(entries[1].cmd, 20004);
}

TEST_F(MenuBuilderTest, APopupForThePointerCountsFromTheGivenId) {
    menutest::AddItems(units_, {{0, "Context"}, {1, "Cu&t", 0, 24}, {1, "&Copy"}, {0, "Other"}});
    HMENU popup = rt::BuildPopupMenu(menutest::Views(units_), 30000, rt::MENU_BUILD_NORMAL, false);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(platform::GetMenuItemCount(popup), 2);
    EXPECT_EQ(platform::GetMenuItemID(popup, 0), 30001u);
    EXPECT_EQ(platform::GetMenuItemID(popup, 1), 30002u);
    EXPECT_EQ(TextAt(popup, 0), "Cu&t\tCtrl+X");
    platform::DestroyMenu(popup);
    EXPECT_EQ(rt::BuildPopupMenu({}, 30000, rt::MENU_BUILD_NORMAL, false), nullptr);
}

}  // namespace
