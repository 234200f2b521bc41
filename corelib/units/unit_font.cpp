#include "corelib/units/unit_font.h"

#include <cstring>

#include "platform/dialogs/font_dialog.h"

namespace corelib::units {

using namespace platform;

UnitFont::~UnitFont() {
    if (font_)
        DeleteObject(font_);
}

void UnitFont::ApplyFace(HWND control, const std::string& face, int32_t points) {
    if (face.empty() && points <= 0) {
        Replace(control, nullptr);
        return;
    }
    LOGFONT font;
    GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    if (points > 0)
        font.lfHeight = dialogs::PointSizeToHeight(points);
    if (!face.empty()) {
        std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
        std::memcpy(font.lfFaceName, face.data(),
                    std::min(face.size(), sizeof font.lfFaceName - 1));
    }
    Replace(control, CreateFontIndirect(&font));
}

void UnitFont::ApplyLogical(HWND control, const LOGFONT* font) {
    Replace(control, font ? CreateFontIndirect(font) : nullptr);
}

void UnitFont::Replace(HWND control, HFONT font) {
    // The control lets go of the old font before it is deleted.
    SendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
    if (font_)
        DeleteObject(font_);
    font_ = font;
}

}  // namespace corelib::units
