// The demonstration window as a window description: its units (window,
// labels, text boxes, option buttons, a check box, push buttons) and its
// menu items, installed as a WindowRecord of the WindowMap whose unit
// records are laid out as the system reads them. Nothing here creates a
// native window; the window framework's loader does
// (runtime/framework/window_loader.h).
//
//   File   Open... Ctrl+O | Save Ctrl+S | - | Recent files > two files | - | Exit Alt+F4
//   Edit   Undo Ctrl+Z (grey) | Word wrap (checked) | Size > Small, Medium, Large
//   Help   Contents | About
//
//   Name:     [..........]        mnemonics N, Q, J, T, P, K, C, L
//   Quality:  [....]              (F, E and H open the menus)
//   Format:   (o) JPEG ( ) TIFF ( ) PNG
//             [ ] Keep folders
//             [ Convert ] [ Close ]
//   status line
#pragma once

#include <cstdint>

#include "runtime/application_object.h"

namespace demo {

inline constexpr uint32_t kWindowId = 0x52020001;

// Unit ids, fixed by the description.
enum DemoUnit : uint32_t {
    UNIT_WINDOW = 0x51000001,
    UNIT_NAME_LABEL = 0x11000002,
    UNIT_NAME = 0x11000003,
    UNIT_QUALITY_LABEL = 0x11000004,
    UNIT_QUALITY = 0x11000005,
    UNIT_FORMAT_LABEL = 0x11000006,
    UNIT_JPEG = 0x11000007,
    UNIT_TIFF = 0x11000008,
    UNIT_PNG = 0x11000009,
    UNIT_KEEP_FOLDERS = 0x1100000A,
    UNIT_CONVERT = 0x1100000B,
    UNIT_CLOSE = 0x1100000C,
    UNIT_STATUS = 0x1100000D,
};

// Adds the window to the application's WindowMap; null when its id is
// taken.
rt::WindowRecord* InstallDemoWindow(rt::ApplicationObject& app);

}  // namespace demo
