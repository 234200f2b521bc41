// The folder chooser: an instruction, the folders (and optionally files)
// of the current folder, and an edit box for typing a name.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windowing/windows.h"

namespace platform::dialogs {

inline constexpr uint32_t BIF_EDITBOX = 0x0010;
inline constexpr uint32_t BIF_BROWSEINCLUDEFILES = 0x4000;

struct FolderDialogRequest {
    HWND owner = nullptr;
    std::string instruction;       // runtime text
    uint32_t flags = BIF_EDITBOX;  // BIF_*
    std::string initialDirectory;  // runtime text; empty: the current directory
};

// The chosen folder (or file, when files are shown) as an absolute runtime
// text path; false when the user cancelled.
bool ShowFolderDialog(const FolderDialogRequest& request, std::string* chosenPath);

}  // namespace platform::dialogs
