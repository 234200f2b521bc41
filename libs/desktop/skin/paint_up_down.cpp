// Up-down controls: two arrow buttons splitting the control in half (left
// and right when horizontal, upper and lower otherwise). The hot and
// pressed look goes to the half the pointer is over. An up-down attached
// beside an edit field continues the field's frame round its far side, so
// field and arrows read as one control.
#include "libs/desktop/skin/painter_support.h"
#include "libs/desktop/skin/painters.h"
#include "platform/graphics/gdi.h"

namespace desktop::skin {
namespace {

using namespace platform;

// Draws the frame on the top, bottom and far side; answers what is left
// inside it.
RECT ContinueFieldFrame(HDC dc, const RECT& client, int32_t scheme, uint32_t flags) {
    bool disabled = flags & SK_DISABLED;
    COLORREF outer = EdgeColor(scheme, disabled);
    COLORREF inner = disabled ? ButtonFace() : GetSysColor(COLOR_WINDOW);
    bool fieldOnRight = flags & SK_ALIGN_LEFT;  // the up-down sits left of its field
    for (int ring = 0; ring < 2; ++ring) {
        COLORREF color = ring == 0 ? outer : inner;
        int top = client.top + ring, bottom = client.bottom - 1 - ring;
        int farSide = fieldOnRight ? client.left + ring : client.right - 1 - ring;
        int nearEnd = fieldOnRight ? client.right : client.left;
        LineSolid(dc, nearEnd, top, farSide, top, color);
        LineSolid(dc, nearEnd, bottom, farSide, bottom, color);
        LineSolid(dc, farSide, top, farSide, bottom + 1, color);
    }
    RECT area = client;
    area.top += 2;
    area.bottom -= 2;
    if (fieldOnRight) {
        area.left += 2;
    } else {
        area.right -= 2;
    }
    return area;
}

void DrawUpDown(const SkinRecord& record, const PaintTarget& target) {
    const auto& [dc, client, scheme] = target;
    uint32_t flags = record.flags;
    bool horizontal = flags & SK_HORIZONTAL;
    RECT area = client;
    if (flags & (SK_ALIGN_LEFT | SK_ALIGN_RIGHT))
        area = ContinueFieldFrame(dc, client, scheme, flags);
    else
        FillSolid(dc, client, ButtonFace());

    RECT first = area, second = area;
    if (horizontal) {
        first.right = second.left = area.left + (area.right - area.left) / 2;
    } else {
        first.bottom = second.top = area.top + (area.bottom - area.top) / 2;
    }
    uint32_t shared = ArrowGlyphFlags(flags) | (horizontal ? 0 : ARROW_VERTICAL);
    uint32_t lively = flags & (SK_PUSHED | SK_HOT);
    bool firstActive = flags & SK_FIRST_HALF;
    DrawArrowButton(dc, first, shared | (firstActive ? lively : 0), scheme);
    DrawArrowButton(dc, second, shared | ARROW_SECOND | (firstActive ? 0 : lively), scheme);
}

}  // namespace

void PaintUpDown(const SkinRecord& record) {
    PaintBuffered(record, DrawUpDown);
}

}  // namespace desktop::skin
