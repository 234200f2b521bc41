// RasterImage::ConvertTo: every depth to every depth through one RGB row.
#include <cstring>
#include <vector>

#include "libs/imageconv/colour_quantiser.h"
#include "libs/imageconv/raster_image.h"

namespace imageconv {

void ReadRowAsRgb(const RasterImage& image, int32_t y, uint8_t* rgb) {
    const uint8_t* src = image.Row(y);
    const int32_t width = image.width();
    switch (image.depth()) {
        case 8:
            if (image.colourCount() > 0) {
                const ColourEntry* table = image.colours();
                const int32_t count = image.colourCount();
                for (int32_t x = 0; x < width; ++x, rgb += 3) {
                    // An index past the table (a damaged file) reads as black.
                    if (src[x] < count) {
                        const ColourEntry& e = table[src[x]];
                        rgb[0] = e.red, rgb[1] = e.green, rgb[2] = e.blue;
                    } else {
                        rgb[0] = rgb[1] = rgb[2] = 0;
                    }
                }
            } else {
                for (int32_t x = 0; x < width; ++x, rgb += 3)
                    rgb[0] = rgb[1] = rgb[2] = src[x];
            }
            break;
        case 16:
            for (int32_t x = 0; x < width; ++x, rgb += 3) {
                auto w = static_cast<uint16_t>(src[2 * x] | (src[2 * x + 1] << 8));
                rgb[0] = Red16(w), rgb[1] = Green16(w), rgb[2] = Blue16(w);
            }
            break;
        case 24:
            std::memcpy(rgb, src, size_t(width) * 3);
            break;
        case 32:
            for (int32_t x = 0; x < width; ++x, rgb += 3) {
                rgb[0] = src[4 * x + 1], rgb[1] = src[4 * x + 2], rgb[2] = src[4 * x + 3];
            }
            break;
        default:
            break;
    }
}

namespace {

// Writes one RGB row into row `y` of a gray, 16-, 24- or 32-bit image.
void WriteRowFromRgb(const uint8_t* rgb, RasterImage& image, int32_t y) {
    uint8_t* dst = image.Row(y);
    const int32_t width = image.width();
    switch (image.depth()) {
        case 8:
            for (int32_t x = 0; x < width; ++x, rgb += 3)
                dst[x] = GrayLevel(rgb[0], rgb[1], rgb[2]);
            break;
        case 16:
            for (int32_t x = 0; x < width; ++x, rgb += 3) {
                uint16_t w = Pack16(rgb[0], rgb[1], rgb[2]);
                dst[2 * x] = static_cast<uint8_t>(w);
                dst[2 * x + 1] = static_cast<uint8_t>(w >> 8);
            }
            break;
        case 24:
            std::memcpy(dst, rgb, size_t(width) * 3);
            break;
        case 32:
            for (int32_t x = 0; x < width; ++x, rgb += 3) {
                dst[4 * x] = 255;
                dst[4 * x + 1] = rgb[0], dst[4 * x + 2] = rgb[1], dst[4 * x + 3] = rgb[2];
            }
            break;
        default:
            break;
    }
}

}  // namespace

bool RasterImage::ConvertTo(RasterImage& target, int32_t depth, int32_t colours) const {
    if (&target == this || !HasPixels() || colours < 0) {
        if (&target != this)
            target.Clear();
        return false;
    }
    const bool wantTable = depth == 8 && colours > 0;
    // A table that already fits is kept as it is rather than re-quantised.
    const bool sameKind =
        depth == depth_ &&
        (depth != 8 || (wantTable == (colourCount_ > 0) && colourCount_ <= colours));
    if (sameKind)
        return target.CopyFrom(*this);

    if (!target.Create(width_, height_, depth, wantTable ? colours : 0))
        return false;
    if (wantTable) {
        if (!QuantiseInto(*this, target, colours)) {
            target.Clear();
            return false;
        }
        return true;
    }
    std::vector<uint8_t> rgb(size_t(width_) * 3);
    for (int32_t y = 0; y < height_; ++y) {
        ReadRowAsRgb(*this, y, rgb.data());
        WriteRowFromRgb(rgb.data(), target, y);
    }
    return true;
}

}  // namespace imageconv
