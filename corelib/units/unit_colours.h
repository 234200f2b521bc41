// Colour properties of the core units: 0x00BBGGRR, or a value with a
// non-zero top byte (the units' default 0xff000000) for "the system's
// colour", whatever the platform shows there.
#pragma once

#include <cstdint>

#include "platform/graphics/gdi.h"

namespace corelib::units {

inline constexpr uint32_t kSystemColour = 0xff000000;
inline constexpr uint32_t kWhite = 0x00ffffff;

constexpr bool IsSystemColour(uint32_t colour) {
    return (colour & 0xff000000) != 0;
}

// Gives `dc` the text colour a colour property holds; the system's colour
// leaves the context's as it is.
void ApplyTextColour(platform::HDC dc, uint32_t colour);

// A solid brush of a colour property, made when first asked for and kept
// until the colour changes; null for the system's colour.
class ColourBrush {
public:
    ColourBrush() = default;
    ColourBrush(const ColourBrush&) = delete;
    ColourBrush& operator=(const ColourBrush&) = delete;
    ~ColourBrush() { Release(); }

    platform::HBRUSH For(uint32_t colour);

private:
    void Release();
    platform::HBRUSH brush_ = nullptr;
    uint32_t colour_ = kSystemColour;
};

}  // namespace corelib::units
