// The skin sheet of picbatch-gallery: every control the skin draws, in
// every state it draws, one row per kind and one column per state, with a
// row of variations (caption alignments, boxes on the right, up-down
// controls beside their fields, the controls the skin leaves alone).
#pragma once

#include "platform/windowing/windows.h"

namespace gallery {

inline constexpr int kSkinSheetWidth = 1080;
inline constexpr int kSkinSheetHeight = 640;

// Fills `parent`'s client area with the sheet's controls (registering the
// standard controls first). Answers the panel that holds them, null when
// the parent is not a window.
platform::HWND FillSkinSheet(platform::HWND parent);

// Puts the controls of the sheet's state columns into their states once
// the skin is attached: real state where the control holds one (pressed,
// checked, disabled, default, the focus), the skin's record where only the
// pointer could give it (hot, the pressed half of an up-down control, the
// focus look on more than one control).
void ShowSkinSheetStates(platform::HWND panel);

}  // namespace gallery
