// The font chooser: face, size, bold and italic, and with CF_EFFECTS also
// underline, strike-out and colour, with a sample of the result.
#pragma once

#include <cstdint>

#include "platform/windowing/windows.h"

namespace platform::dialogs {

inline constexpr uint32_t CF_SCREENFONTS = 0x1;
inline constexpr uint32_t CF_EFFECTS = 0x100;

// Sizes in points convert to character heights at 96 pixels per inch.
int PointSizeToHeight(int pointSize);
int HeightToPointSize(int height);

// Edits `font` (and `color`, with CF_EFFECTS) in place; answers true when
// the user confirmed. Both are left alone on cancel.
bool ShowFontDialog(HWND owner, LOGFONT* font, COLORREF* color, uint32_t flags);

}  // namespace platform::dialogs
