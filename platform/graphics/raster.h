// Internal: per-pixel helpers shared by the drawing operations.
#pragma once

#include <cstdint>

#include "platform/graphics/gdi_objects.h"

namespace platform::gdi {

// A ternary raster operation on whole pixels: the operation's index byte
// is the truth table over pattern (0xF0), source (0xCC) and destination
// (0xAA).
inline uint32_t ApplyRop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
    switch (code) {
        case 0x00:
            return 0;
        case 0xFF:
            return 0xFFFFFFFF;
        case 0xCC:
            return s;
        case 0xF0:
            return p;
        case 0x66:
            return s ^ d;
        case 0x88:
            return s & d;
        case 0xEE:
            return s | d;
        case 0x33:
            return ~s;
        case 0x55:
            return ~d;
        case 0x5A:
            return p ^ d;
        case 0x22:
            return ~s & d;
        case 0xBB:
            return ~s | d;
        case 0x44:
            return s & ~d;
        case 0xC0:
            return p & s;
        default:
            break;
    }
    uint32_t result = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((code >> i) & 1))
            continue;
        result |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return result;
}

inline uint8_t RopIndex(uint32_t rop) {
    return uint8_t(rop >> 16);
}
inline bool RopUsesSource(uint8_t code) {
    return ((code >> 2) ^ code) & 0x33;
}
inline bool RopUsesPattern(uint8_t code) {
    return ((code >> 4) ^ code) & 0x0F;
}

// Keeps the colour channels of a result; alpha comes from where the rule
// says (the source for copies, otherwise untouched destination alpha).
inline uint32_t KeepColor(uint32_t result, uint32_t dest) {
    return (result & 0x00FFFFFF) | (dest & 0xFF000000);
}

// The pixel a colour takes on a surface.
inline uint32_t SurfacePixel(const Bitmap& surface, COLORREF color) {
    return surface.monochrome ? ToMonochrome(color) : ToPixel(color);
}

// The current brush as a pixel of the context's surface; false for a hollow
// brush.
bool PatternPixel(const Dc& dc, uint32_t* pixel);
bool PenPixel(const Dc& dc, uint32_t* pixel, int* width);
// Fills a device rectangle (already clipped) with a raster operation using
// the pattern pixel.
void RopFill(Bitmap& surface, const RECT& area, uint8_t code, uint32_t pattern);
// Sets one device pixel when it is inside the clip box.
inline void PlotPixel(Bitmap& surface, const RECT& clip, int x, int y, uint32_t pixel) {
    if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom)
        return;
    surface.Row(y)[x] = pixel;
}

}  // namespace platform::gdi

namespace platform::gdi {
// A colour bitmap holding the pixels of a packed bitmap (1, 4, 8, 24 or 32
// bits per pixel, uncompressed); null when the header is unusable.
HBITMAP BitmapFromDib(const BITMAPINFO* info, const void* bits);
}  // namespace platform::gdi

namespace platform::gdi {
// Every drawing call runs inside one: it holds the destination surface
// (and a source surface, when another) against other threads drawing or
// composing at the same time, and keeps the call inside a non-rectangular
// clipping region by putting back, afterwards, the pixels of the clip box
// that lie outside the region.
class DrawingScope {
public:
    explicit DrawingScope(const Dc* dc, const Dc* source = nullptr);
    ~DrawingScope();
    DrawingScope(const DrawingScope&) = delete;
    DrawingScope& operator=(const DrawingScope&) = delete;

private:
    std::unique_lock<std::mutex> lock_;
    std::unique_lock<std::mutex> sourceLock_;
    Bitmap* surface_ = nullptr;  // set while a region needs restoring
    std::shared_ptr<const Shape> shape_;
    RECT box_;
    std::vector<uint32_t> saved_;
};
}  // namespace platform::gdi
