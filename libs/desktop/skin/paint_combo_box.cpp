// Combo boxes keep the text their own procedure drew; the skin adds the
// edge frame and a drop-down arrow button at the right edge, as wide as a
// scroll bar's thumb.
#include "libs/desktop/skin/painter_support.h"
#include "libs/desktop/skin/painters.h"

namespace desktop::skin {
namespace {

using namespace platform;

void DrawComboBox(const SkinRecord& record, const PaintTarget& target) {
    const RECT& client = target.client;
    uint32_t flags = record.flags;
    // A combo box is never read-only: only disabling turns its inner frame
    // to the button face.
    DrawEdgeFrame(target.dc, client, target.scheme, flags & SK_DISABLED, record.kind);
    int width = GetSystemMetrics(SM_CXHTHUMB);
    RECT button{client.right - 2 - width, client.top + 2, client.right - 2, client.bottom - 2};
    if (button.left < client.left + 2)
        button.left = client.left + 2;
    uint32_t arrowFlags =
        ArrowGlyphFlags(flags) | (flags & (SK_PUSHED | SK_HOT)) | ARROW_VERTICAL | ARROW_SECOND;
    DrawArrowButton(target.dc, button, arrowFlags, target.scheme);
}

}  // namespace

void PaintComboBox(const SkinRecord& record) {
    PaintBuffered(record, DrawComboBox);
}

}  // namespace desktop::skin
