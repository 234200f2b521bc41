// A window's menu bar as the system keeps it up to date: built from the
// window's run of menu-item units when the window is loaded and again on
// SN_REBUILD_MENU and SN_MARK_MENU_CHANGED.
//
// The accelerator table built with the bar belongs to the window's own unit
// (its owned handle, released with the unit) and is also left in the
// window unit's object (FormWindowObject's input settings), where input
// pre-translation applies it.
#pragma once

#include <vector>

#include "runtime/runtime_objects.h"
#include "runtime/window_record.h"

namespace rt {

// Installs rebuildMenuBar into MenuBarHooks. Call once at start-up.
void InstallMenuBarHooks();

// Builds a new bar and accelerator table from the window's menu items,
// attaches the bar to `nativeWindow` (none when the window has no menu
// items), and destroys the previous bar and table. Answers false when the
// window's own unit is missing.
bool RebuildWindowMenuBar(WindowRecord& window, NativeHandle nativeWindow);

// The window's run of menu-item units, in table order.
std::vector<UnitEntryView> MenuItemsOf(WindowRecord& window);

// Destroys an accelerator table a window unit owned (for the window
// framework's releaseUnitHandle).
void DestroyWindowAccelerators(NativeHandle table);

}  // namespace rt
