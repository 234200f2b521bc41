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

// Clips drawing to the circle inscribed in `box` while it lives.
class CircleClip {
public:
    CircleClip(HDC dc, const RECT& box)
        : dc_(dc), circle_(CreateEllipticRgn(box.left, box.top, box.right, box.bottom)) {
        SelectClipRgn(dc_, circle_);
    }
    ~CircleClip() {
        SelectClipRgn(dc_, nullptr);
        DeleteObject(circle_);
    }
    CircleClip(const CircleClip&) = delete;
    CircleClip& operator=(const CircleClip&) = delete;

private:
    HDC dc_;
    HRGN circle_;
};

// Fills the circle inscribed in `box` with a gradient.
void FillCircleGradient(HDC dc, const RECT& box, const GradientSet& set) {
    CircleClip clip(dc, box);
    FillGradient(dc, box, set);
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

void DrawRadioButton(const SkinRecord& record, const PaintTarget& target) {
    CheckLayout layout = BeginCheckPainting(record, target, kCircleSize, kCentredHeight);
    const RECT& circle = layout.box;
    HDC dc = target.dc;
    uint32_t flags = record.flags;
    bool disabled = flags & SK_DISABLED;
    if (disabled) {
        CircleClip clip(dc, circle);
        FillSolid(dc, circle, kWhite);
    } else {
        FillCircleGradient(dc, circle, RadioSet(target.scheme, BoxStateSet(flags)));
    }
    if ((flags & SK_HOT) && !(flags & SK_PUSHED) && !disabled) {
        for (int inset : {2, 3}) {
            RECT ring = circle;
            InflateRect(&ring, -inset, -inset);
            OutlineCircle(dc, ring, kRadioHotRing);
        }
    }
    OutlineCircle(dc, circle, disabled ? DisabledFrameColor() : kCheckFrame);
    if (flags & SK_CHECKED) {
        RECT dot = circle;
        InflateRect(&dot, -kDotInset, -kDotInset);
        FillCircleGradient(dc, dot, RadioDotSet(disabled));
        OutlineCircle(dc, dot, disabled ? kRadioDotOutlineDisabled : kRadioDotOutline);
    }
    DrawCheckCaption(dc, record, layout);
}

}  // namespace

void PaintRadioButton(const SkinRecord& record) {
    PaintBuffered(record, DrawRadioButton);
}

}  // namespace desktop::skin
