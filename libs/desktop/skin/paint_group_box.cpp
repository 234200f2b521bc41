// Group boxes: a frame whose top line runs half a text height below the
// top, rounded corners, and the caption set into the top line.
#include "libs/desktop/skin/draw_caption.h"
#include "libs/desktop/skin/painter_support.h"
#include "libs/desktop/skin/painters.h"
#include "platform/controls/controls.h"

namespace desktop::skin {
namespace {

using namespace platform;

constexpr int kCaptionIndent = 10;
constexpr int kCentredMargin = 5;
constexpr int kSideMargin = 2;
// Measured to place the frame of a group box without a caption.
constexpr const char* kSampleText = "Ag";

// The caption up to its first line end: a group box caption is one line.
std::string FirstLine(std::string caption) {
    size_t end = caption.find_first_of("\r\n");
    if (end != std::string::npos)
        caption.resize(end);
    return caption;
}

void DrawGroupBox(const SkinRecord& record, const PaintTarget& target) {
    HDC dc = target.dc;
    const RECT& client = target.client;
    FillBackground(dc, client, record);
    SelectedFont font(dc, record.window);
    std::string caption = FirstLine(ReadCaption(record.window));
    RECT wide{0, 0, 1 << 20, 1 << 20};
    RECT measured =
        DrawCaption(dc, caption.empty() ? kSampleText : caption, wide, ALIGN_TOP_LEFT, false);
    int textHeight = measured.bottom - measured.top;
    int textWidth = measured.right - measured.left;

    RECT frame{client.left, client.top + textHeight / 2, client.right, client.bottom};
    // The colour behind the frame, as the background left it.
    COLORREF background = GetPixel(dc, frame.left, frame.top);
    FrameSolid(dc, frame, kGroupFrame);
    RoundCorners(dc, frame, background, kGroupFrame);
    if (!caption.empty()) {
        auto style = uint32_t(GetWindowLong(record.window, GWL_STYLE));
        uint32_t horizontal = style & BS_CENTER;
        int left = client.left + kCaptionIndent;
        int margin = kSideMargin;
        if (horizontal == BS_RIGHT) {
            left = client.right - kCaptionIndent - textWidth;
        } else if (horizontal == BS_CENTER) {
            left = client.left + (client.right - client.left - textWidth) / 2;
            margin = kCentredMargin;
        }
        FillSolid(dc, RECT{left - margin, frame.top, left + textWidth + margin, frame.top + 1},
                  background);
        SetTextColor(dc, CaptionColor(record));
        DrawCaption(dc, caption, RECT{left, client.top, left + textWidth, client.top + textHeight},
                    ALIGN_TOP_LEFT);
    }
}

}  // namespace

void PaintGroupBox(const SkinRecord& record) {
    PaintBuffered(record, DrawGroupBox);
}

}  // namespace desktop::skin
