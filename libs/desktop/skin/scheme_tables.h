// The colours of the three schemes (1 blue, 2 olive green, 3 silver): one
// table per painted part, so no painter repeats a colour. COLORREF values
// are 0x00BBGGRR; in gradient sets the top byte is the vertex alpha.
#pragma once

#include <cstdint>

#include "libs/desktop/skin/skin_types.h"

namespace desktop::skin {

// Colours for the corners of a rectangle.
struct GradientSet {
    COLORREF topLeft;
    COLORREF topRight;
    COLORREF bottomLeft;
    COLORREF bottomRight;
};

// Outer frame of edit fields, list boxes, combo boxes and up-down controls.
COLORREF SchemeEdgeColor(int32_t scheme);

// Push buttons: seven sets per scheme.
enum PushSetIndex : int {
    PUSH_FACE_PRESSED = 0,
    PUSH_FACE_HOT = 1,
    PUSH_FACE_CHECKED = 2,  // checked or indeterminate
    PUSH_FACE_FOCUSED = 3,  // focused or default
    PUSH_FACE_NORMAL = 4,
    PUSH_OVERLAY_PRESSED = 5,  // pressed, checked or indeterminate
    PUSH_OVERLAY_NORMAL = 6,
    PUSH_SET_COUNT = 7,
};
const GradientSet& PushButtonSet(int32_t scheme, int set);
COLORREF PushButtonFrameColor(int32_t scheme);
// The flat face of a disabled push button.
inline constexpr COLORREF kPushDisabledFace = 0xEAF4F5;
// Caption of a disabled or indeterminate push button; others are black.
inline constexpr COLORREF kPushGrayCaption = 0x94A2A5;

// Check boxes and radio buttons: the inside of the box or circle.
enum BoxSetIndex : int { BOX_PRESSED = 0, BOX_HOT = 1, BOX_NORMAL = 2, BOX_SET_COUNT = 3 };
const GradientSet& CheckBoxSet(int32_t scheme, int set);
const GradientSet& RadioSet(int32_t scheme, int set);
inline constexpr COLORREF kCheckFrame = 0x845118;
inline constexpr COLORREF kCheckMark = 0x21A221;
inline constexpr COLORREF kCheckMarkDisabled = 0xBDCBCE;
// The inner square of an indeterminate box, by state.
inline constexpr COLORREF kIndeterminateDisabled = 0xBDCBCE;
inline constexpr COLORREF kIndeterminatePressed = 0x188A18;
inline constexpr COLORREF kIndeterminateHot = 0x21A221;
inline constexpr COLORREF kIndeterminateNormal = 0x73C373;
// The inner square of a hot box that is not indeterminate.
inline constexpr COLORREF kHotInnerChecked = 0xF7F7F7;
inline constexpr COLORREF kHotInnerUnchecked = 0xE7E7E7;
inline constexpr COLORREF kRadioHotRing = 0xDEEFF7;
inline constexpr COLORREF kRadioDotOutline = 0x94CB9C;
inline constexpr COLORREF kRadioDotOutlineDisabled = 0xCED3D6;
// The chosen radio button's dot: enabled, disabled.
const GradientSet& RadioDotSet(bool disabled);

// The arrow buttons of combo boxes and up-down controls.
enum ArrowSetIndex : int {
    ARROW_SET_PRESSED = 0,
    ARROW_SET_HOT = 1,
    ARROW_SET_NORMAL = 2,
    ARROW_SET_VARIANT = 3,  // the normal look of a disabled button
    ARROW_SET_COUNT = 4,
};
struct ArrowButtonLook {
    GradientSet face[ARROW_SET_COUNT];
    GradientSet inner[ARROW_SET_COUNT];
    COLORREF corner;  // the four corner pixels
    COLORREF glyph;
    COLORREF glyphDisabled;
    bool outline;         // drawn in the scheme edge colour
    bool whiteInnerLine;  // just inside the outline
};
const ArrowButtonLook& ArrowButtonLookOf(int32_t scheme);
inline constexpr COLORREF kArrowOutlineDisabled = 0xBDCFCE;

// Group boxes, in every scheme.
inline constexpr COLORREF kGroupFrame = 0xBFB8BF;

}  // namespace desktop::skin
