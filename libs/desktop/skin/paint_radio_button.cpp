// Radio buttons: a 16-pixel circle with a gradient inside (white when
// disabled), a light ring when hot, and a green dot when chosen.
#include "libs/desktop/skin/check_layout.h"
#include "libs/desktop/skin/painter_support.h"
#include "libs/desktop/skin/painters.h"
#include "platform/graphics/gdi.h"

namespace desktop::skin {
namespace {

using namespace platform;

constexpr int kCircleSize = 16;
constexpr int kCentredHeight = 15;
constexpr int kDotInset = 5;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kDisabledFrameDarkening = 0x202020;

// Fills the circle inscribed in `box` with a gradient.
void FillCircleGradient(HDC dc, const RECT& box, const GradientSet& set) {
    HRGN circle = CreateEllipticRgn(box.left, box.top, box.right, box.bottom);
    SelectClipRgn(dc, circle);
    FillGradient(dc, box, set);
    SelectClipRgn(dc, nullptr);
    DeleteObject(circle);
}

void OutlineCircle(HDC dc, const RECT& box, COLORREF color) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

int CircleSet(uint32_t flags) {
    if (flags & SK_PUSHED)
        return BOX_PRESSED;
    if (flags & SK_HOT)
        return BOX_HOT;
    return BOX_NORMAL;
}

}  // namespace

void PaintRadioButton(const SkinRecord& record) {
    PaintBuffer buffer(record.window, true);
    if (!buffer.Ready())
        return;
    HDC dc = buffer.Dc();
    const RECT client = buffer.Client();
    int32_t scheme = PaintScheme();
    uint32_t flags = record.flags;
    bool disabled = flags & SK_DISABLED;
    auto style = uint32_t(GetWindowLong(record.window, GWL_STYLE));
    CheckLayout layout = LayOutCheck(client, style, kCircleSize, kCentredHeight);
    const RECT& circle = layout.box;

    FillBackground(dc, client, record);
    if (disabled) {
        HRGN shape = CreateEllipticRgn(circle.left, circle.top, circle.right, circle.bottom);
        SelectClipRgn(dc, shape);
        FillSolid(dc, circle, kWhite);
        SelectClipRgn(dc, nullptr);
        DeleteObject(shape);
    } else {
        FillCircleGradient(dc, circle, RadioSet(scheme, CircleSet(flags)));
    }
    if ((flags & SK_HOT) && !(flags & SK_PUSHED) && !disabled) {
        for (int inset : {2, 3}) {
            RECT ring = circle;
            InflateRect(&ring, -inset, -inset);
            OutlineCircle(dc, ring, kRadioHotRing);
        }
    }
    OutlineCircle(dc, circle,
                  disabled ? Darker(ButtonFace(), kDisabledFrameDarkening) : kCheckFrame);
    if (flags & SK_CHECKED) {
        RECT dot = circle;
        InflateRect(&dot, -kDotInset, -kDotInset);
        FillCircleGradient(dc, dot, RadioDotSet(disabled));
        OutlineCircle(dc, dot, disabled ? kRadioDotOutlineDisabled : kRadioDotOutline);
    }
    DrawCheckCaption(dc, record, layout);
    buffer.End();
}

}  // namespace desktop::skin
