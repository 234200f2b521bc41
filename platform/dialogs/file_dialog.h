// The open and save file dialogs: a folder's contents filtered by pattern,
// a name field and a list of filters. Texts are runtime texts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windowing/windows.h"

namespace platform::dialogs {

inline constexpr uint32_t OFN_READONLY = 0x1;
inline constexpr uint32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr uint32_t OFN_HIDEREADONLY = 0x4;
inline constexpr uint32_t OFN_NOCHANGEDIR = 0x8;
inline constexpr uint32_t OFN_PATHMUSTEXIST = 0x800;
inline constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr uint32_t OFN_CREATEPROMPT = 0x2000;

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    HWND owner = nullptr;
    std::string title;     // empty: "Open" or "Save As"
    std::string fileName;  // the initial name, or a path
    // Pairs of description and patterns, separated by "|" (or by zero
    // bytes): "Pictures|*.jpg;*.png|All files|*.*".
    std::string filter;
    int filterIndex = 0;           // 1-based; 0 is the first
    std::string initialDirectory;  // empty: the current directory
    std::string defaultExtension;  // added to a name typed without one
    uint32_t flags = 0;            // OFN_*
};

struct FileDialogResult {
    std::string path;     // the chosen file, absolute
    int filterIndex = 0;  // 1-based filter in use when confirmed
};

// Answers true when the user confirmed a file; the working directory never
// changes, whatever the flags.
bool ShowFileDialog(FileDialogKind kind, const FileDialogRequest& request,
                    FileDialogResult* result);

}  // namespace platform::dialogs
