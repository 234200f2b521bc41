#include "corelib/units/unit_colours.h"

namespace corelib::units {

void ApplyTextColour(platform::HDC dc, uint32_t colour) {
    if (!IsSystemColour(colour))
        platform::SetTextColor(dc, platform::COLORREF(colour));
}

platform::HBRUSH ColourBrush::For(uint32_t colour) {
    if (IsSystemColour(colour))
        return nullptr;
    if (!brush_ || colour_ != colour) {
        Release();
        brush_ = platform::CreateSolidBrush(platform::COLORREF(colour));
        colour_ = colour;
    }
    return brush_;
}

void ColourBrush::Release() {
    if (brush_)
        platform::DeleteObject(brush_);
    brush_ = nullptr;
}

}  // namespace corelib::units
