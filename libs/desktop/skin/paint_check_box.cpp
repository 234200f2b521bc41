// Check boxes: a 13-pixel box framed in dark blue with a gradient inside
// (white when disabled), an inner square for the indeterminate and hot
// states, and a green check mark.
#include "libs/desktop/skin/check_layout.h"
#include "libs/desktop/skin/painter_support.h"
#include "libs/desktop/skin/painters.h"
#include "platform/graphics/gdi.h"

namespace desktop::skin {
namespace {

using namespace platform;

constexpr int kBoxSize = 13;
constexpr COLORREF kWhite = 0xFFFFFF;

// Seven vertical strokes, three pixels long, from the top-left of a 7 by 7
// area three pixels inside the box.
constexpr int kMarkInset = 3;
constexpr int kMarkStrokeTops[7] = {2, 3, 4, 3, 2, 1, 0};
constexpr int kMarkStrokeLength = 3;

// The colour of the inner square, or none.
bool InnerSquareColor(uint32_t flags, COLORREF* color) {
    bool pressed = flags & SK_PUSHED, hot = flags & SK_HOT;
    if (flags & SK_INDETERMINATE) {
        *color = (flags & SK_DISABLED) ? kIndeterminateDisabled
                 : pressed             ? kIndeterminatePressed
                 : hot                 ? kIndeterminateHot
                                       : kIndeterminateNormal;
        return true;
    }
    if (hot && !pressed) {
        *color = (flags & SK_CHECKED) ? kHotInnerChecked : kHotInnerUnchecked;
        return true;
    }
    return false;
}

void DrawMark(HDC dc, const RECT& box, COLORREF color) {
    int x = box.left + kMarkInset, y = box.top + kMarkInset;
    for (int i = 0; i < 7; ++i) {
        int top = y + kMarkStrokeTops[i];
        LineSolid(dc, x + i, top, x + i, top + kMarkStrokeLength, color);
    }
}

void DrawCheckBox(const SkinRecord& record, const PaintTarget& target) {
    CheckLayout layout = BeginCheckPainting(record, target, kBoxSize, kBoxSize);
    HDC dc = target.dc;
    uint32_t flags = record.flags;
    bool disabled = flags & SK_DISABLED;
    FrameSolid(dc, layout.box, disabled ? DisabledFrameColor() : kCheckFrame);
    RECT inside = layout.box;
    InflateRect(&inside, -1, -1);
    if (disabled) {
        FillSolid(dc, inside, kWhite);
    } else {
        FillGradient(dc, inside, CheckBoxSet(target.scheme, BoxStateSet(flags)));
    }
    COLORREF square;
    if (InnerSquareColor(flags, &square)) {
        RECT inner = layout.box;
        InflateRect(&inner, -kMarkInset, -kMarkInset);
        FillSolid(dc, inner, square);
    }
    if (flags & SK_CHECKED)
        DrawMark(dc, layout.box, disabled ? kCheckMarkDisabled : kCheckMark);
    DrawCheckCaption(dc, record, layout);
}

}  // namespace

void PaintCheckBox(const SkinRecord& record) {
    PaintBuffered(record, DrawCheckBox);
}

}  // namespace desktop::skin
