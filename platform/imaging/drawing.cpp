// Bitmaps, drawing contexts and solid brushes: just enough painting to lay a
// picture with alpha over a background colour.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include <string>

#include "platform/imaging/failure_reason.h"
#include "platform/imaging/imaging.h"

namespace platform::imaging {

struct Graphics {
    Image* target;
};
struct SolidBrush {
    uint32_t argb;
};

namespace {

// Source-over of straight-alpha colour (sb, sg, sr, sa) onto pixel p.
inline void Blend(uint8_t* p, bool targetAlpha, uint32_t sb, uint32_t sg, uint32_t sr,
                  uint32_t sa) {
    if (sa == 255 || (targetAlpha && p[3] == 0)) {
        p[0] = uint8_t(sb), p[1] = uint8_t(sg), p[2] = uint8_t(sr);
        if (targetAlpha)
            p[3] = uint8_t(sa);
        return;
    }
    if (sa == 0)
        return;
    uint32_t da = targetAlpha ? p[3] : 255;
    // Everything in units of 255*255 to keep integer precision.
    uint32_t outA = sa * 255 + da * (255 - sa);  // = 255 * alpha_out
    auto mix = [&](uint32_t s, uint32_t d) {
        return uint8_t((s * sa * 255 + d * da * (255 - sa) + outA / 2) / outA);
    };
    p[0] = mix(sb, p[0]);
    p[1] = mix(sg, p[1]);
    p[2] = mix(sr, p[2]);
    if (targetAlpha)
        p[3] = uint8_t((outA + 127) / 255);
}

// Rounds and clips a rectangle to the image; false when nothing is left.
bool Clip(const Image& image, float x, float y, float w, float h, int64_t& x0, int64_t& y0,
          int64_t& x1, int64_t& y1) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) {
        return false;
    }
    x0 = std::llround(std::clamp(double(x), -1e9, 1e9));
    y0 = std::llround(std::clamp(double(y), -1e9, 1e9));
    x1 = std::llround(std::clamp(double(x) + w, -1e9, 1e9));
    y1 = std::llround(std::clamp(double(y) + h, -1e9, 1e9));
    x0 = std::max<int64_t>(x0, 0), y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, image.width()), y1 = std::min<int64_t>(y1, image.height());
    return x0 < x1 && y0 < y1;
}

}  // namespace

Status CreateBitmapFromScan0(int32_t width, int32_t height, int32_t stride, uint32_t format,
                             const uint8_t* scan0, Image** bitmap) {
    if (!bitmap)
        return kInvalidParameter;
    *bitmap = nullptr;
    if (width <= 0 || height <= 0)
        return kInvalidParameter;
    PixelLayout layout;
    if (format == kFormat32bppArgb) {
        layout = PixelLayout::Bgra32;
    } else if (format == kFormat24bppRgb) {
        layout = PixelLayout::Bgr24;
    } else {
        return kNotImplemented;
    }
    auto image = Image::Create(uint32_t(width), uint32_t(height), layout);
    if (!image) {
        // The reason a save that flattens first gives for failing.
        SetFailureReason("no room for a bitmap of " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels");
        return kOutOfMemory;
    }
    for (uint32_t y = 0; y < image->height(); ++y) {
        if (scan0) {
            if (std::abs(int64_t(stride)) < int64_t(image->stride()))
                return kInvalidParameter;
            std::memcpy(image->row(y), scan0 + int64_t(y) * stride, image->stride());
        } else {
            std::memset(image->row(y), 0, image->stride());  // transparent black
        }
    }
    *bitmap = image.release();
    return kOk;
}

Status GetImageGraphicsContext(Image* image, Graphics** graphics) {
    if (!image || !graphics)
        return kInvalidParameter;
    *graphics = new (std::nothrow) Graphics{image};
    return *graphics ? kOk : kOutOfMemory;
}

Status DeleteGraphics(Graphics* graphics) {
    if (!graphics)
        return kInvalidParameter;
    delete graphics;
    return kOk;
}

Status CreateSolidFill(uint32_t argb, SolidBrush** brush) {
    if (!brush)
        return kInvalidParameter;
    *brush = new (std::nothrow) SolidBrush{argb};
    return *brush ? kOk : kOutOfMemory;
}

Status DeleteBrush(SolidBrush* brush) {
    if (!brush)
        return kInvalidParameter;
    delete brush;
    return kOk;
}

Status FillRectangle(Graphics* graphics, const SolidBrush* brush, float x, float y, float width,
                     float height) {
    if (!graphics || !brush || width < 0 || height < 0)
        return kInvalidParameter;
    Image& target = *graphics->target;
    int64_t x0, y0, x1, y1;
    if (!Clip(target, x, y, width, height, x0, y0, x1, y1))
        return kOk;
    uint32_t c = brush->argb;
    uint32_t a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    const uint32_t step = target.bytesPerPixel();
    for (int64_t py = y0; py < y1; ++py) {
        uint8_t* p = target.row(uint32_t(py)) + x0 * step;
        for (int64_t px = x0; px < x1; ++px, p += step)
            Blend(p, target.hasAlpha(), b, g, r, a);
    }
    return kOk;
}

Status DrawImageRectRect(Graphics* graphics, const Image* image, float dx, float dy, float dw,
                         float dh, float sx, float sy, float sw, float sh, uint32_t unit) {
    if (!graphics || !image || unit != kUnitPixel)
        return kInvalidParameter;
    if (!(sw > 0) || !(sh > 0) || !(dw > 0) || !(dh > 0))
        return kInvalidParameter;
    Image& target = *graphics->target;
    int64_t x0, y0, x1, y1;
    if (!Clip(target, dx, dy, dw, dh, x0, y0, x1, y1))
        return kOk;
    const double scaleX = double(sw) / dw, scaleY = double(sh) / dh;
    const uint32_t step = target.bytesPerPixel(), sourceStep = image->bytesPerPixel();
    for (int64_t py = y0; py < y1; ++py) {
        int64_t syi = int64_t(std::floor(sy + (py - dy + 0.5) * scaleY));
        if (syi < 0 || syi >= int64_t(image->height()))
            continue;
        const uint8_t* source = image->row(uint32_t(syi));
        uint8_t* p = target.row(uint32_t(py)) + x0 * step;
        for (int64_t px = x0; px < x1; ++px, p += step) {
            int64_t sxi = int64_t(std::floor(sx + (px - dx + 0.5) * scaleX));
            if (sxi < 0 || sxi >= int64_t(image->width()))
                continue;
            const uint8_t* s = source + sxi * sourceStep;
            Blend(p, target.hasAlpha(), s[0], s[1], s[2], image->hasAlpha() ? s[3] : 255);
        }
    }
    return kOk;
}

}  // namespace platform::imaging
