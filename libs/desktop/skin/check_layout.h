// Where check boxes and radio buttons put their box and caption: the box at
// the left edge, or at the right edge with the left-text style (0x20); at
// the top, at the bottom (0x800 alone) or centred (0x400 and 0x800); the
// caption beside it, 18 pixels from the edge the box is on.
#pragma once

#include "libs/desktop/skin/drawing.h"
#include "libs/desktop/skin/painter_support.h"

namespace desktop::skin {

struct CheckLayout {
    RECT box;
    RECT caption;
    uint32_t captionAlignment;
};

// `boxSize` is the box's width and height; `centredHeight` the height
// used to centre it.
CheckLayout LayOutCheck(const RECT& client, uint32_t style, int boxSize, int centredHeight);

// Where the check box and radio button painters start: the layout from the
// control's window style, with the parent's background filled in.
CheckLayout BeginCheckPainting(const SkinRecord& record, const PaintTarget& target, int boxSize,
                               int centredHeight);

// Draws the caption and, for a focused control, the focus rectangle
// around the laid-out text.
void DrawCheckCaption(HDC dc, const SkinRecord& record, const CheckLayout& layout);

}  // namespace desktop::skin
