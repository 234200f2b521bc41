// Turning a run of menu-item units into the platform's menus. A window keeps
// its menu as a flat run of menu-item records in table order, each with an
// indentation level (0: an entry of the bar). Every item of the run has a
// command id: MENU_COMMAND_BASE + its position in the run, whether it is
// shown or not, so an id always names the same item (SN_GET_MENU_ITEM
// relies on it).
//
//   levels   0 File, 1 Open, 1 Save, 0 View, 1 Grid
//   ids      20000   20001   20002   20003   20004
//   bar      [File: Open, Save] [View: Grid]
//
// An item with deeper items after it is a pop-up; any other item is a
// command (or a separator when its full text is kMenuSeparatorCaption). A
// hidden pop-up hides everything below it; a hidden command is left out.
// Accelerators come from the items' shortcut indices (shortcut_keys.h).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/menus/menus.h"
#include "runtime/unit_entry.h"

namespace rt {

enum MenuBuildMode : int32_t {
    // Hidden and grey items count; each pop-up's handle is stored in the
    // item that opens it.
    MENU_BUILD_NORMAL = 0,
    // Every item shown and enabled, nothing stored in the items (a menu to
    // look at, such as a designer's preview).
    MENU_BUILD_ALL = 1,
};

// The item's full text: its caption, then the separator and the key name of
// its shortcut when it has one.
std::string MenuItemCaption(const UnitEntryView& item);

class MenuBuilder {
public:
    // `variant`: every command item is re-issued by its command id once it
    // is in the menu (the check and grey state go through the same by-id
    // path that updating a shown menu in place uses).
    MenuBuilder(std::vector<UnitEntryView> items, int32_t mode, bool variant);

    // The bar, one entry per top-level item. With `accelerators`, also the
    // accelerator table of the shortcuts of the visible commands (null when
    // there are none). The caller owns both.
    platform::HMENU BuildBar(platform::HACCEL* accelerators);
    // One pop-up holding what the first item opens, its ids counted from
    // `firstCommandId` (menus shown at the pointer). Null when the first item
    // is hidden (normal mode) or there are no items.
    platform::HMENU BuildPopup(uint32_t firstCommandId);

private:
    // Builds the pop-up of the item at next_ and moves past its subtree;
    // null when it is hidden. *flags gets the flags to attach it with.
    platform::HMENU BuildSubtree(uint32_t* attachFlags);
    void AppendLeaf(platform::HMENU popup, UnitEntryView& leaf, uint32_t id);
    bool HasDeeperItemAfter(size_t index) const;
    bool Normal() const { return mode_ == MENU_BUILD_NORMAL; }

    std::vector<UnitEntryView> items_;
    int32_t mode_;
    bool variant_;
    bool collectAccelerators_ = false;
    size_t next_ = 0;
    uint32_t counter_ = 0;
    std::vector<std::pair<uint32_t, int32_t>> shortcuts_;  // (command id, index)
};

// The plain entry points, for callers that have the items at hand.
platform::HMENU BuildMenuBar(std::vector<UnitEntryView> items, int32_t mode,
                             platform::HACCEL* accelerators, bool variant);
platform::HMENU BuildPopupMenu(std::vector<UnitEntryView> items, uint32_t firstCommandId,
                               int32_t mode, bool variant);

// The accelerator table for (command id, shortcut index) pairs; indices
// without a key are skipped; null when none is left.
platform::HACCEL BuildAcceleratorTable(const std::vector<std::pair<uint32_t, int32_t>>& shortcuts);

}  // namespace rt
