// Push buttons (and check boxes or radio buttons with the push-like style).
//
// From the outside in: a ring in the button face, a one-pixel frame in the
// scheme's frame colour, the face gradient of the first matching state
// (pressed, hot, checked or indeterminate, focused or default, normal)
// showing as a two-pixel band, and the overlay gradient over the rest.
// Corners are rounded pixel by pixel; the focus rectangle runs on the inner
// pixel of the face band, one pixel outside the overlay.
#include "libs/desktop/skin/draw_caption.h"
#include "libs/desktop/skin/painter_support.h"
#include "libs/desktop/skin/painters.h"
#include "platform/graphics/gdi.h"

namespace desktop::skin {
namespace {

using namespace platform;

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kDisabledCornerOuter = 0x151515;
constexpr COLORREF kDisabledCornerInner = 0x111111;

int FaceSet(uint32_t flags) {
    if (flags & SK_PUSHED)
        return PUSH_FACE_PRESSED;
    if (flags & SK_HOT)
        return PUSH_FACE_HOT;
    if (flags & (SK_CHECKED | SK_INDETERMINATE))
        return PUSH_FACE_CHECKED;
    if (flags & (SK_FOCUSED | SK_DEFAULT))
        return PUSH_FACE_FOCUSED;
    return PUSH_FACE_NORMAL;
}

void DrawPushButton(const SkinRecord& record, const PaintTarget& target) {
    const auto& [dc, client, scheme] = target;
    uint32_t flags = record.flags;
    bool disabled = flags & SK_DISABLED;
    bool heavy = flags & (SK_PUSHED | SK_CHECKED | SK_INDETERMINATE);

    FillBackground(dc, client, record);
    COLORREF face = ButtonFace();
    FrameSolid(dc, client, face);
    RECT frame = client;
    InflateRect(&frame, -1, -1);
    COLORREF frameColor = disabled ? DisabledFrameColor() : PushButtonFrameColor(scheme);
    FrameSolid(dc, frame, frameColor);
    RECT inside = frame;
    InflateRect(&inside, -1, -1);
    if (disabled) {
        FillSolid(dc, inside, kPushDisabledFace);
    } else {
        FillGradient(dc, inside, PushButtonSet(scheme, FaceSet(flags)));
    }
    RECT overlay = inside;
    InflateRect(&overlay, -2, -2);
    if (heavy) {
        FillGradient(dc, overlay, PushButtonSet(scheme, PUSH_OVERLAY_PRESSED));
    } else if (!disabled) {
        FillGradient(dc, overlay, PushButtonSet(scheme, PUSH_OVERLAY_NORMAL));
    }
    if (disabled) {
        RoundCorners(dc, frame, Darker(face, kDisabledCornerOuter),
                     Darker(face, kDisabledCornerInner));
    } else {
        RoundCorners(dc, frame, face, frameColor);
    }

    {
        SelectedFont font(dc, record.window);
        std::string caption = ReadCaption(record.window);
        SetTextColor(dc, (disabled || (flags & SK_INDETERMINATE)) ? kPushGrayCaption : kBlack);
        RECT text = overlay;
        if (flags & SK_PUSHED)
            OffsetRect(&text, 1, 1);
        auto style = uint32_t(GetWindowLong(record.window, GWL_STYLE));
        DrawCaption(dc, caption, text, AlignmentFromStyle(style));
    }
    if (flags & SK_FOCUSED) {
        RECT focus = overlay;
        InflateRect(&focus, 1, 1);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace

void PaintPushButton(const SkinRecord& record) {
    PaintBuffered(record, DrawPushButton);
}

}  // namespace desktop::skin
