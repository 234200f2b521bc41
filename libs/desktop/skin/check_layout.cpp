#include "libs/desktop/skin/check_layout.h"

#include "libs/desktop/skin/draw_caption.h"
#include "libs/desktop/skin/painter_support.h"
#include "platform/controls/controls.h"

namespace desktop::skin {

using namespace platform;

namespace {

constexpr int kCaptionInset = 18;

enum class Row { Top, Middle, Bottom };

Row BoxRow(uint32_t style) {
    if ((style & BS_VCENTER) == BS_VCENTER)
        return Row::Middle;
    if ((style & BS_VCENTER) == BS_BOTTOM)
        return Row::Bottom;
    return Row::Top;
}

uint32_t LeftOf(Row row) {
    return row == Row::Top      ? ALIGN_TOP_LEFT
           : row == Row::Middle ? ALIGN_MIDDLE_LEFT
                                : ALIGN_BOTTOM_LEFT;
}
uint32_t RightOf(Row row) {
    return row == Row::Top      ? ALIGN_TOP_RIGHT
           : row == Row::Middle ? ALIGN_MIDDLE_RIGHT
                                : ALIGN_BOTTOM_RIGHT;
}

}  // namespace

CheckLayout LayOutCheck(const RECT& client, uint32_t style, int boxSize, int centredHeight) {
    CheckLayout layout;
    bool leftText = style & BS_LEFTTEXT;
    Row row = BoxRow(style);
    uint32_t boxAlignment = leftText ? RightOf(row) : LeftOf(row);
    int placedHeight = row == Row::Middle ? centredHeight : boxSize;
    RECT placed = PlaceBox(client, boxSize, placedHeight, boxAlignment);
    layout.box = RECT{placed.left, placed.top, placed.left + boxSize, placed.top + boxSize};
    layout.caption = client;
    if (leftText) {
        layout.caption.right = client.right - kCaptionInset;
    } else {
        layout.caption.left = client.left + kCaptionInset;
    }
    // A caption without a horizontal alignment reads from the box, at the
    // box's height; explicit alignments follow the button style.
    layout.captionAlignment = (style & BS_CENTER) == 0 ? LeftOf(row) : AlignmentFromStyle(style);
    return layout;
}

CheckLayout BeginCheckPainting(const SkinRecord& record, const PaintTarget& target, int boxSize,
                               int centredHeight) {
    auto style = uint32_t(GetWindowLong(record.window, GWL_STYLE));
    FillBackground(target.dc, target.client, record);
    return LayOutCheck(target.client, style, boxSize, centredHeight);
}

void DrawCheckCaption(HDC dc, const SkinRecord& record, const CheckLayout& layout) {
    SelectedFont font(dc, record.window);
    std::string caption = ReadCaption(record.window);
    SetTextColor(dc, CaptionColor(record));
    RECT covered = DrawCaption(dc, caption, layout.caption, layout.captionAlignment);
    if ((record.flags & SK_FOCUSED) && !IsRectEmpty(covered)) {
        InflateRect(&covered, 1, 1);
        DrawFocusRect(dc, &covered);
    }
}

}  // namespace desktop::skin
