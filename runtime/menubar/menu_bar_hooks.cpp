#include "runtime/menubar/menu_bar_hooks.h"

#include "runtime/menubar/menu_builder.h"
#include "runtime/system_hooks.h"
#include "runtime/unit_type.h"

namespace rt {

std::vector<UnitEntryView> MenuItemsOf(WindowRecord& window) {
    std::vector<UnitEntryView> items;
    int32_t start = -1;
    int32_t count = window.units.MenuRun(&start);
    for (int32_t i = 0; i < count; ++i) {
        UnitEntryView item = window.units.View(start + i);
        // A damaged record ends the run: every id after it would be wrong.
        if (!item.Valid())
            break;
        items.push_back(item);
    }
    return items;
}

void DestroyWindowAccelerators(NativeHandle table) {
    if (table)
        platform::DestroyAcceleratorTable(reinterpret_cast<platform::HACCEL>(table));
}

bool RebuildWindowMenuBar(WindowRecord& window, NativeHandle nativeWindow) {
    UnitEntryView self = window.units.View(0);
    if (!self.Valid() || self.IsMenuItem())
        return false;
    auto hwnd = reinterpret_cast<platform::HWND>(nativeWindow);
    std::vector<UnitEntryView> items = MenuItemsOf(window);
    platform::HACCEL accelerators = nullptr;
    platform::HMENU bar =
        items.empty() ? nullptr : BuildMenuBar(items, MENU_BUILD_NORMAL, &accelerators, false);

    platform::HMENU previousBar = platform::GetMenu(hwnd);
    platform::SetMenu(hwnd, bar);
    // A bar replaced while its window lives is ours to destroy.
    if (previousBar && previousBar != bar)
        platform::DestroyMenu(previousBar);
    window.menuBar = reinterpret_cast<NativeHandle>(bar);

    NativeHandle previousTable = self.OwnedHandle();
    self.SetOwnedHandle(reinterpret_cast<NativeHandle>(accelerators));
    if (auto* form = dynamic_cast<FormWindowObject*>(self.Object()))
        form->input.accelerators = reinterpret_cast<NativeHandle>(accelerators);
    if (previousTable && previousTable != reinterpret_cast<NativeHandle>(accelerators))
        DestroyWindowAccelerators(previousTable);

    if (bar)
        platform::DrawMenuBar(hwnd);
    return true;
}

void InstallMenuBarHooks() {
    MenuBarHooks hooks;
    hooks.rebuildMenuBar = &RebuildWindowMenuBar;
    SetMenuBarHooks(hooks);
}

}  // namespace rt
