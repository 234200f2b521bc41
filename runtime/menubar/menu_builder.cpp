#include "runtime/menubar/menu_builder.h"

#include "runtime/event_call.h"
#include "runtime/shortcut_keys.h"

namespace rt {

std::string MenuItemCaption(const UnitEntryView& item) {
    return MenuItemCaption(item.Caption(), item.Shortcut());
}

MenuBuilder::MenuBuilder(std::vector<UnitEntryView> items, int32_t mode, bool variant)
    : items_(std::move(items)), mode_(mode), variant_(variant) {}

bool MenuBuilder::HasDeeperItemAfter(size_t index) const {
    return index + 1 < items_.size() && items_[index + 1].Level() > items_[index].Level();
}

platform::HMENU MenuBuilder::BuildBar(platform::HACCEL* accelerators) {
    counter_ = MENU_COMMAND_BASE;
    next_ = 0;
    shortcuts_.clear();
    collectAccelerators_ = accelerators != nullptr;
    platform::HMENU bar = platform::CreateMenu();
    while (next_ < items_.size()) {
        UnitEntryView& item = items_[next_];
        if (!HasDeeperItemAfter(next_)) {
            // An entry of the bar with nothing under it is a command of the
            // bar itself rather than an empty pop-up that could never do
            // anything.
            if (Normal())
                item.SetPopupHandle(0);
            if (!Normal() || !(item.MenuFlags() & MENU_FLAG_HIDDEN))
                AppendLeaf(bar, item, counter_);
            ++next_;
            ++counter_;
            continue;
        }
        std::string caption = item.Caption();
        uint32_t attachFlags = 0;
        if (platform::HMENU popup = BuildSubtree(&attachFlags))
            platform::AppendMenu(bar, attachFlags, reinterpret_cast<uintptr_t>(popup),
                                 caption.c_str());
    }
    if (accelerators)
        *accelerators = BuildAcceleratorTable(shortcuts_);
    return bar;
}

platform::HMENU MenuBuilder::BuildPopup(uint32_t firstCommandId) {
    counter_ = firstCommandId;
    next_ = 0;
    shortcuts_.clear();
    collectAccelerators_ = false;
    if (items_.empty())
        return nullptr;
    uint32_t attachFlags = 0;
    return BuildSubtree(&attachFlags);
}

platform::HMENU MenuBuilder::BuildSubtree(uint32_t* attachFlags) {
    UnitEntryView& owner = items_[next_];
    int32_t level = owner.Level();
    uint32_t flags = owner.MenuFlags();
    ++next_;
    ++counter_;
    if (Normal())
        owner.SetPopupHandle(0);
    if (Normal() && (flags & MENU_FLAG_HIDDEN)) {
        // Hidden with everything below it; the ids stay taken so that every
        // later item keeps its own.
        while (next_ < items_.size() && items_[next_].Level() > level) {
            ++next_;
            ++counter_;
        }
        return nullptr;
    }
    platform::HMENU popup = platform::CreatePopupMenu();
    if (Normal())
        owner.SetPopupHandle(reinterpret_cast<NativeHandle>(popup));
    *attachFlags =
        platform::MF_POPUP | (Normal() && (flags & MENU_FLAG_GREY) ? platform::MF_GRAYED : 0);
    while (next_ < items_.size()) {
        UnitEntryView& candidate = items_[next_];
        if (candidate.Level() <= level)
            break;
        if (!HasDeeperItemAfter(next_)) {
            if (!Normal() || !(candidate.MenuFlags() & MENU_FLAG_HIDDEN))
                AppendLeaf(popup, candidate, counter_);
            ++next_;
            ++counter_;
            continue;
        }
        std::string caption = candidate.Caption();
        uint32_t childFlags = 0;
        if (platform::HMENU child = BuildSubtree(&childFlags))
            platform::AppendMenu(popup, childFlags, reinterpret_cast<uintptr_t>(child),
                                 caption.c_str());
    }
    return popup;
}

void MenuBuilder::AppendLeaf(platform::HMENU menu, UnitEntryView& leaf, uint32_t id) {
    std::string text = MenuItemCaption(leaf);
    if (text == kMenuSeparatorCaption) {
        platform::AppendMenu(menu, platform::MF_SEPARATOR, 0, nullptr);
        return;
    }
    bool checked = leaf.MenuFlags() & MENU_FLAG_CHECKED;
    bool grey = Normal() && (leaf.MenuFlags() & MENU_FLAG_GREY);
    uint32_t flags = platform::MF_STRING | (checked ? platform::MF_CHECKED : 0) |
                     (grey ? platform::MF_GRAYED : 0);
    platform::AppendMenu(menu, flags, id, text.c_str());
    if (variant_) {
        platform::CheckMenuItem(menu, id,
                                platform::MF_BYCOMMAND | (checked ? platform::MF_CHECKED : 0));
        platform::EnableMenuItem(
            menu, id, platform::MF_BYCOMMAND | (grey ? platform::MF_GRAYED : platform::MF_ENABLED));
    }
    if (collectAccelerators_ && leaf.Shortcut() > 0)
        shortcuts_.emplace_back(id, leaf.Shortcut());
}

platform::HACCEL BuildAcceleratorTable(const std::vector<std::pair<uint32_t, int32_t>>& shortcuts) {
    std::vector<platform::ACCEL> entries;
    for (const auto& [id, index] : shortcuts) {
        ShortcutKey key = ShortcutKeyAt(index);
        // Command ids travel in the accelerator's 16-bit command word.
        if (key.virtualKey == 0 || id > 0xFFFF)
            continue;
        platform::ACCEL entry;
        entry.fVirt = uint8_t(key.flags | platform::FVIRTKEY | platform::FNOINVERT);
        entry.key = key.virtualKey;
        entry.cmd = uint16_t(id);
        entries.push_back(entry);
    }
    if (entries.empty())
        return nullptr;
    return platform::CreateAcceleratorTable(entries.data(), int(entries.size()));
}

platform::HMENU BuildMenuBar(std::vector<UnitEntryView> items, int32_t mode,
                             platform::HACCEL* accelerators, bool variant) {
    return MenuBuilder(std::move(items), mode, variant).BuildBar(accelerators);
}

platform::HMENU BuildPopupMenu(std::vector<UnitEntryView> items, uint32_t firstCommandId,
                               int32_t mode, bool variant) {
    return MenuBuilder(std::move(items), mode, variant).BuildPopup(firstCommandId);
}

}  // namespace rt
