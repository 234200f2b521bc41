// Internal: the list box in which the file and folder dialogs show what a
// folder holds.
#pragma once

#include <vector>

#include "platform/controls/controls.h"
#include "platform/dialogs/folder_entries.h"

namespace platform::dialogs {

// Replaces the list's lines with `entries`, folders shown in brackets so
// that they stand apart from files.
void ShowFolderEntries(HWND list, const std::vector<FolderEntry>& entries);

// The entry selected in `list`, or null when none (or the list no longer
// matches `entries`).
const FolderEntry* SelectedFolderEntry(HWND list, const std::vector<FolderEntry>& entries);

}  // namespace platform::dialogs
