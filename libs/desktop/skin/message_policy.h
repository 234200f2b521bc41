// What the skin window procedure does with each message, per control kind,
// as an action word (see skin_types.h). The policy and the common state
// handler keep the record's state flags in step with the control as they
// decide; they never call the control's own procedure.
//
// Common state handler (asked by ACT_COMMON):
//   WM_SETFOCUS / WM_KILLFOCUS   set / clear SK_FOCUSED          original, paint
//   WM_ENABLE                    wParam 0 sets SK_DISABLED       original, paint
//   WM_MOUSEMOVE                 not hot, no left button: track the pointer's
//                                leaving, set SK_HOT             original, paint
//                                otherwise                       original (again)
//   WM_MOUSELEAVE                hot: clear SK_HOT               original, paint
//                                otherwise                       original (again)
//   anything else                                                original
//
// Messages a kind does not list below get common handler, then original.
//   buttons (0-2): WM_SETTEXT, WM_PAINT default then paint; WM_ERASEBKGND
//     original; BM_SETCHECK, BM_SETSTATE, BM_SETSTYLE update the flags, then
//     original and paint.
//   edit fields (3) and list boxes (12): WM_PAINT, WM_NCPAINT and the
//     scroll messages original then paint; the frame's mouse move and the
//     pointer's leaving set / clear SK_HOT and then default and paint.
//   combo boxes (4): WM_PAINT, WM_NCPAINT original then paint; left button
//     down / up set / clear SK_PUSHED, original, paint.
//   up-down controls (5): WM_PAINT, WM_NCPAINT default then paint;
//     WM_ERASEBKGND answers 1 and nothing else; left button up clears
//     SK_PUSHED, original, paint; mouse moves run the half hit test.
//   kinds 6 and 11 (group boxes): WM_PAINT, WM_NCPAINT default then paint.
#pragma once

#include <cstdint>

#include "libs/desktop/skin/skin_types.h"

namespace desktop::skin {

uint32_t CommonStateHandler(SkinRecord& record, uint32_t message, WPARAM wParam);

uint32_t MessagePolicy(SkinRecord& record, uint32_t message, WPARAM wParam, LPARAM lParam);

// Whether the point (x in the low 16 bits of lParam, y in the high) lies
// in the first (left or upper) half of the control's client area.
bool PointInFirstHalf(HWND window, bool horizontal, LPARAM lParam);

// Mouse move over an up-down control: when the pointer crossed into the
// other half, records it and asks for a repaint (common handler, original,
// paint); otherwise only the common handler.
uint32_t UpDownHitTest(SkinRecord& record, LPARAM lParam);

}  // namespace desktop::skin
