// Which controls the skin draws. A window is classified by its class name
// (compared without regard to letter case against a table of 15 names, the
// first match deciding) and, for buttons, by its style.
//
//   position  class name           kind
//   0         Button               push button, check box, radio, group box, or -1
//   1         Edit                 edit field (-1 inside a combo box)
//   2..6      Static, msctls_progress32, PicbatchMenuBar, PicbatchMenuPopup,
//             PicbatchDragImage    -1 (never skinned)
//   7         ComboBox             combo box (-1 for the simple kind)
//   8         ScrollBar            -1
//   9         msctls_updown32      up-down control
//   10..14    SysTabControl32, msctls_trackbar32, SysListView32,
//             SysTreeView32, RichEdit20A
//                                  kinds 6 to 10: known, never subclassed
// Independently of the table, the class "ListBox" is a list box (kind 12).
#pragma once

#include <cstdint>

#include "libs/desktop/skin/skin_types.h"

namespace desktop::skin {

inline constexpr int kClassTableSize = 15;
// The class-name table above, in order.
const char* ClassTableName(int position);
inline constexpr const char* kListBoxClassName = "ListBox";

// The position of a class name in the table, or -1.
int ClassTablePosition(const char* className);

// The kind of a button with this style. `captionLength` decides the one
// exception: a button whose style is exactly WS_CHILD | WS_TABSTOP (a
// hidden push button) with an empty caption is a helper the window
// framework keeps for keyboard handling and has nothing to show.
int32_t ClassifyButtonStyle(uint32_t style, int captionLength);

int32_t Classify(HWND window);

}  // namespace desktop::skin
