// Combo boxes keep the text their own procedure drew; the skin adds the
// edge frame and a drop-down arrow button at the right edge, as wide as a
// scroll bar's thumb.
#include "libs/desktop/skin/painter_support.h"
#include "libs/desktop/skin/painters.h"

namespace desktop::skin {

using namespace platform;

void PaintComboBox(const SkinRecord& record) {
    PaintBuffer buffer(record.window, true);
    if (!buffer.Ready())
        return;
    HDC dc = buffer.Dc();
    const RECT client = buffer.Client();
    int32_t scheme = PaintScheme();
    uint32_t flags = record.flags;
    // A combo box is never read-only: only disabling turns its inner frame
    // to the button face.
    DrawEdgeFrame(dc, client, scheme, flags & SK_DISABLED, record.kind);
    int width = GetSystemMetrics(SM_CXHTHUMB);
    RECT button{client.right - 2 - width, client.top + 2, client.right - 2, client.bottom - 2};
    if (button.left < client.left + 2)
        button.left = client.left + 2;
    uint32_t arrowFlags = (flags & (SK_DISABLED | SK_PUSHED | SK_HOT)) | ARROW_GLYPH |
                          ARROW_VERTICAL | ARROW_SECOND |
                          ((flags & SK_DISABLED) ? ARROW_VARIANT : 0);
    DrawArrowButton(dc, button, arrowFlags, scheme);
    buffer.End();
}

}  // namespace desktop::skin
