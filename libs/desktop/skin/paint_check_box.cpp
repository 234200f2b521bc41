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
constexpr COLORREF kDisabledFrameDarkening = 0x202020;

// Seven vertical strokes, three pixels long, from the top-left of a 7 by 7
// area three pixels inside the box.
constexpr int kMarkInset = 3;
constexpr int kMarkStrokeTops[7] = {2, 3, 4, 3, 2, 1, 0};
constexpr int kMarkStrokeLength = 3;

int BoxSet(uint32_t flags) {
    if (flags & SK_PUSHED)
        return BOX_PRESSED;
    if (flags & SK_HOT)
        return BOX_HOT;
    return BOX_NORMAL;
}

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

}  // namespace

void PaintCheckBox(const SkinRecord& record) {
    PaintBuffer buffer(record.window, true);
    if (!buffer.Ready())
        return;
    HDC dc = buffer.Dc();
    const RECT client = buffer.Client();
    int32_t scheme = PaintScheme();
    uint32_t flags = record.flags;
    bool disabled = flags & SK_DISABLED;
    auto style = uint32_t(GetWindowLong(record.window, GWL_STYLE));
    CheckLayout layout = LayOutCheck(client, style, kBoxSize, kBoxSize);

    FillBackground(dc, client, record);
    FrameSolid(dc, layout.box,
               disabled ? Darker(ButtonFace(), kDisabledFrameDarkening) : kCheckFrame);
    RECT inside = layout.box;
    InflateRect(&inside, -1, -1);
    if (disabled) {
        FillSolid(dc, inside, kWhite);
    } else {
        FillGradient(dc, inside, CheckBoxSet(scheme, BoxSet(flags)));
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
    buffer.End();
}

}  // namespace desktop::skin
