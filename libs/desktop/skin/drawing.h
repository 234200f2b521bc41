// The drawing routines the painters share: gradient fills, solid fills and
// frames, the edge frame of fields, the arrow buttons of combo boxes and
// up-down controls, and the nine alignment positions.
#pragma once

#include <cstdint>

#include "libs/desktop/skin/scheme_tables.h"

namespace desktop::skin {

using platform::HDC;
using platform::RECT;

// Fills `rect` with the platform's gradient fill, 16-bit channels (each
// 8-bit channel shifted left 8) and the top byte of each colour as vertex
// alpha. When the two top colours and the two bottom colours are equal (as
// colours: the alpha byte is not a colour) the fill is one vertical
// rectangle gradient from the top-left to the bottom-right vertex;
// otherwise two triangles, corners (0, 1, 2) and then (3, 1, 2), numbering
// the corners top-left, top-right, bottom-left, bottom-right.
void FillGradient(HDC dc, const RECT& rect, const GradientSet& set);

void FillSolid(HDC dc, const RECT& rect, COLORREF color);
void FrameSolid(HDC dc, const RECT& rect, COLORREF color);
// A vertical or horizontal line of one pixel, end exclusive.
void LineSolid(HDC dc, int x0, int y0, int x1, int y1, COLORREF color);

// `color` with `amount` (e.g. 0x202020) taken from each channel, stopping
// at 0.
COLORREF Darker(COLORREF color, COLORREF amount);
COLORREF ButtonFace();
// The frame of a disabled control: the button face minus 0x202020.
COLORREF DisabledFrameColor();
// The outer edge of fields, combo boxes and up-down controls: the scheme
// edge colour, or the disabled frame colour.
COLORREF EdgeColor(int32_t scheme, bool disabled);

// Rounds the corners of a one-pixel `frame`: each corner pixel takes the
// colour outside the frame and the pixel diagonally inside it the frame's
// `edge` colour.
void RoundCorners(HDC dc, const RECT& frame, COLORREF outside, COLORREF edge);

// Frame of edit fields and list boxes: one pixel in the scheme edge colour
// (face minus 0x202020 when disabled), one pixel inside it in the window
// colour (the button face when disabled or read-only). An edit field with
// an up-down control attached on its left (SK_BUDDY_LEFT) or right
// (SK_BUDDY_RIGHT) gets a white line on that side instead, so the field
// runs on into the arrows.
void DrawEdgeFrame(HDC dc, const RECT& rect, int32_t scheme, uint32_t flags, int32_t kind);

// Flags of DrawArrowButton besides the state flags SK_DISABLED, SK_PUSHED
// and SK_HOT.
inline constexpr uint32_t ARROW_GLYPH = 0x1000000;     // draw an arrow
inline constexpr uint32_t ARROW_VERTICAL = 0x2000000;  // pointing up or down (else left or right)
inline constexpr uint32_t ARROW_SECOND = 0x4000000;    // down or right (else up or left)
inline constexpr uint32_t ARROW_VARIANT = 0x8000000;   // the variant face for the normal state

// One arrow button: the face for pressed, hot or normal (the variant when
// asked), rounded corner pixels, an inner gradient, the arrow, and the
// outline the scheme draws (scheme 2 adds a white line inside it).
void DrawArrowButton(HDC dc, const RECT& rect, uint32_t flags, int32_t scheme);

// The flags of an arrow button with a glyph in a control whose state flags
// are `state`: disabled with the control, in the variant face then.
constexpr uint32_t ArrowGlyphFlags(uint32_t state) {
    return (state & SK_DISABLED) | ARROW_GLYPH | ((state & SK_DISABLED) ? ARROW_VARIANT : 0);
}

// Nine positions of a caption or a box in a rectangle.
enum Alignment : uint32_t {
    ALIGN_TOP_LEFT = 0x1,
    ALIGN_TOP_CENTRE = 0x2,
    ALIGN_TOP_RIGHT = 0x4,
    ALIGN_MIDDLE_LEFT = 0x8,
    ALIGN_CENTRE = 0x10,
    ALIGN_MIDDLE_RIGHT = 0x20,
    ALIGN_BOTTOM_LEFT = 0x40,
    ALIGN_BOTTOM_CENTRE = 0x80,
    ALIGN_BOTTOM_RIGHT = 0x100,
};
inline constexpr uint32_t kAlignLeftColumn = ALIGN_TOP_LEFT | ALIGN_MIDDLE_LEFT | ALIGN_BOTTOM_LEFT;
inline constexpr uint32_t kAlignRightColumn =
    ALIGN_TOP_RIGHT | ALIGN_MIDDLE_RIGHT | ALIGN_BOTTOM_RIGHT;
inline constexpr uint32_t kAlignTopRow = ALIGN_TOP_LEFT | ALIGN_TOP_CENTRE | ALIGN_TOP_RIGHT;
inline constexpr uint32_t kAlignBottomRow =
    ALIGN_BOTTOM_LEFT | ALIGN_BOTTOM_CENTRE | ALIGN_BOTTOM_RIGHT;

// The button style's alignment bits (0xF00) as a position: 0x500 top-left,
// 0x700 top-centre, 0x600 top-right, 0xD00 middle-left, 0xE00
// middle-right, 0x900 bottom-left, 0xB00 bottom-centre, 0xA00
// bottom-right, anything else centre.
uint32_t AlignmentFromStyle(uint32_t style);

// A box of `width` by `height` placed in `area` at `alignment` (halves
// rounded toward zero).
RECT PlaceBox(const RECT& area, int width, int height, uint32_t alignment);

}  // namespace desktop::skin
