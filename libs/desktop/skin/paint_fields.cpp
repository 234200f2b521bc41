// Edit fields and list boxes keep what their own procedures drew and get
// the scheme's edge frame over their outer two pixels. Only framed ones
// are painted (the border style or the client-edge or static-edge extended
// style), and a list box only while it holds an item: an empty list keeps
// the platform's own look.
#include "libs/desktop/skin/painter_support.h"
#include "libs/desktop/skin/painters.h"
#include "platform/controls/controls.h"

namespace desktop::skin {
namespace {

using namespace platform;

constexpr uint32_t kEdgeExStyles = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;  // 0x20200

bool IsFramed(HWND window) {
    auto style = uint32_t(GetWindowLong(window, GWL_STYLE));
    auto exStyle = uint32_t(GetWindowLong(window, GWL_EXSTYLE));
    return (style & WS_BORDER) || (exStyle & kEdgeExStyles);
}

void DrawFrameOnly(const SkinRecord& record, const PaintTarget& target) {
    DrawEdgeFrame(target.dc, target.client, target.scheme, record.flags, record.kind);
}

}  // namespace

void PaintEditField(const SkinRecord& record) {
    if (IsFramed(record.window))
        PaintBuffered(record, DrawFrameOnly);
}

void PaintListBox(const SkinRecord& record) {
    if (IsFramed(record.window) && SendMessage(record.window, LB_GETCOUNT, 0, 0) >= 1)
        PaintBuffered(record, DrawFrameOnly);
}

}  // namespace desktop::skin
