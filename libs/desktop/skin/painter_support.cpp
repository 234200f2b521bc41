#include "libs/desktop/skin/painter_support.h"

#include "libs/desktop/skin/paint_buffer.h"
#include "libs/desktop/skin/skin_engine.h"
#include "platform/graphics/gdi.h"

namespace desktop::skin {

using namespace platform;

namespace {
constexpr int kCaptionLimit = 256;
}  // namespace

int32_t PaintScheme() {
    int32_t scheme = SkinEngine::ForThisThread().Scheme();
    return IsScheme(scheme) ? scheme : SCHEME_BLUE;
}

void PaintBuffered(const SkinRecord& record,
                   void (*draw)(const SkinRecord& record, const PaintTarget& target)) {
    PaintBuffer buffer(record.window, true);
    if (!buffer.Ready())
        return;
    draw(record, PaintTarget{buffer.Dc(), buffer.Client(), PaintScheme()});
    buffer.End();
}

int BoxStateSet(uint32_t flags) {
    if (flags & SK_PUSHED)
        return BOX_PRESSED;
    if (flags & SK_HOT)
        return BOX_HOT;
    return BOX_NORMAL;
}

void FillBackground(HDC dc, const RECT& client, const SkinRecord& record) {
    if (record.backgroundBrush) {
        FillRect(dc, &client, record.backgroundBrush);
    } else {
        FillSolid(dc, client, ButtonFace());
    }
}

std::string ReadCaption(HWND window) {
    char buffer[kCaptionLimit + 1] = {};
    int length = GetWindowText(window, buffer, kCaptionLimit + 1);
    return std::string(buffer, size_t(length > 0 ? length : 0));
}

SelectedFont::SelectedFont(HDC dc, HWND window) : dc_(dc) {
    auto font = reinterpret_cast<HFONT>(SendMessage(window, WM_GETFONT, 0, 0));
    previous_ = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
}

SelectedFont::~SelectedFont() {
    SelectObject(dc_, previous_);
}

COLORREF CaptionColor(const SkinRecord& record) {
    if (record.flags & SK_DISABLED)
        return GetSysColor(COLOR_GRAYTEXT);
    return record.backgroundBrush ? record.textColor : GetSysColor(COLOR_BTNTEXT);
}

}  // namespace desktop::skin
