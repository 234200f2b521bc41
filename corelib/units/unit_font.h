// The font a core unit gives its control: a face name with a size, or a
// whole logical font. The unit owns the font and releases it when it is
// replaced or the unit goes away; no font of its own leaves the control
// with the platform's default.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windowing/windows.h"

namespace corelib::units {

class UnitFont {
public:
    UnitFont() = default;
    UnitFont(const UnitFont&) = delete;
    UnitFont& operator=(const UnitFont&) = delete;
    ~UnitFont();

    // `face` (empty: the default face) at `points` (0 or less: the default
    // size); both defaults give the control the default font.
    void ApplyFace(platform::HWND control, const std::string& face, int32_t points);
    // A whole logical font; null gives the control the default font.
    void ApplyLogical(platform::HWND control, const platform::LOGFONT* font);

private:
    void Replace(platform::HWND control, platform::HFONT font);
    platform::HFONT font_ = nullptr;
};

}  // namespace corelib::units
