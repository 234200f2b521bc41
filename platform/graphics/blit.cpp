// Block transfers: pattern fills, copies with raster operations, and
// stretched copies (nearest pixel, or area-averaged in halftone mode).
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/graphics/raster.h"

namespace platform {
namespace gdi {
namespace {

// How a source pixel reads on the destination surface: monochrome sources
// take the destination's text colour for black and background colour for
// white; colour sources turn white exactly where they hold the source
// context's background colour when copied to a monochrome surface.
struct SourceConversion {
    enum Mode { Same, MonoToColor, ColorToMono } mode = Same;
    uint32_t text = 0, background = 0, key = 0;

    SourceConversion(const Dc& src, const Bitmap& srcSurface, const Dc& dst,
                     const Bitmap& dstSurface) {
        if (srcSurface.monochrome && !dstSurface.monochrome) {
            mode = MonoToColor;
            text = ToPixel(dst.state.textColor);
            background = ToPixel(dst.state.bkColor);
        } else if (!srcSurface.monochrome && dstSurface.monochrome) {
            mode = ColorToMono;
            key = ToPixel(src.state.bkColor);
        }
    }
    uint32_t operator()(uint32_t s) const {
        switch (mode) {
            case MonoToColor:
                return (s & 0xFFFFFF) ? background : text;
            case ColorToMono:
                return (s & 0xFFFFFF) == key ? 0xFFFFFF : 0;
            default:
                return s;
        }
    }
};

inline uint32_t Combine(uint8_t code, uint32_t p, uint32_t s, uint32_t d, bool mono) {
    uint32_t out = code == 0xCC ? s : KeepColor(ApplyRop3(code, p, s, d), d);
    return mono ? out & 0xFFFFFF : out;
}

// Source taps of one destination pixel along one axis, weights in 1/65536.
struct Taps {
    int first = 0;
    std::vector<uint32_t> weights;
};

std::vector<Taps> AreaTaps(int dstLength, int srcLength) {
    std::vector<Taps> taps(dstLength);
    double scale = double(srcLength) / dstLength;
    for (int d = 0; d < dstLength; ++d) {
        double a = d * scale, b = (d + 1) * scale;
        int i0 = int(std::floor(a)), i1 = std::min(srcLength, int(std::ceil(b)));
        Taps& t = taps[d];
        t.first = i0;
        uint32_t total = 0;
        for (int i = i0; i < i1; ++i) {
            double cover = std::min(b, double(i + 1)) - std::max(a, double(i));
            auto w = uint32_t(std::lround(cover / (b - a) * 65536.0));
            t.weights.push_back(w);
            total += w;
        }
        // Rounding leftovers go to the largest tap so weights sum exactly.
        if (!t.weights.empty()) {
            auto it = std::max_element(t.weights.begin(), t.weights.end());
            *it += 65536 - total;
        }
    }
    return taps;
}

bool Lookup(HDC destHandle, HDC srcHandle, Dc** dest, Dc** src, Bitmap** destSurface,
            Bitmap** srcSurface) {
    *dest = As<Dc>(destHandle, Kind::Dc);
    *destSurface = *dest ? (*dest)->Surface() : nullptr;
    *src = As<Dc>(srcHandle, Kind::Dc);
    *srcSurface = *src ? (*src)->Surface() : nullptr;
    return *destSurface != nullptr;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

bool PatBlt(HDC handle, int x, int y, int width, int height, uint32_t rop) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    if (!surface)
        return false;
    uint8_t code = RopIndex(rop);
    if (RopUsesSource(code))
        return false;
    uint32_t pattern = 0;
    if (RopUsesPattern(code) && !PatternPixel(*dc, &pattern))
        return true;
    POINT a = dc->ToDevice(x, y);
    POINT b = dc->ToDevice(x + width, y + height);
    RECT area{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    area = IntersectRects(area, dc->ClipBox());
    if (!IsRectEmpty(area))
        RopFill(*surface, area, code, pattern);
    return true;
}

bool BitBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int srcX, int srcY,
            uint32_t rop) {
    uint8_t code = RopIndex(rop);
    if (!RopUsesSource(code))
        return PatBlt(destHandle, x, y, width, height, rop);
    Dc *dest, *src;
    Bitmap *destSurface, *srcSurface;
    if (!Lookup(destHandle, srcHandle, &dest, &src, &destSurface, &srcSurface) || !srcSurface) {
        return false;
    }
    DrawingScope scope(dest, src);
    if (width <= 0 || height <= 0)
        return true;
    POINT d = dest->ToDevice(x, y);
    POINT s = src->ToDevice(srcX, srcY);
    // Clip against the destination, then keep the source inside its surface.
    RECT area = IntersectRects(RECT{d.x, d.y, d.x + width, d.y + height}, dest->ClipBox());
    RECT srcBox = IntersectRects(RECT{0, 0, srcSurface->width, srcSurface->height}, src->bounds);
    OffsetRect(&srcBox, d.x - s.x, d.y - s.y);
    area = IntersectRects(area, srcBox);
    if (IsRectEmpty(area))
        return true;
    int dx = s.x - d.x, dy = s.y - d.y;

    uint32_t pattern = 0;
    if (RopUsesPattern(code))
        PatternPixel(*dest, &pattern);
    SourceConversion convert(*src, *srcSurface, *dest, *destSurface);
    int w = area.right - area.left;
    // Copy the source rows first when both sides share a surface, so an
    // overlapping move reads pixels before it overwrites them.
    std::vector<uint32_t> copy;
    bool sameSurface = srcSurface == destSurface;
    if (sameSurface) {
        copy.resize(size_t(w) * (area.bottom - area.top));
        for (int row = area.top; row < area.bottom; ++row) {
            const uint32_t* from = srcSurface->Row(row + dy) + area.left + dx;
            std::copy(from, from + w, copy.begin() + size_t(row - area.top) * w);
        }
    }
    bool mono = destSurface->monochrome;
    for (int row = area.top; row < area.bottom; ++row) {
        const uint32_t* from = sameSurface ? copy.data() + size_t(row - area.top) * w
                                           : srcSurface->Row(row + dy) + area.left + dx;
        uint32_t* to = destSurface->Row(row) + area.left;
        if (code == 0xCC && convert.mode == SourceConversion::Same) {
            std::copy(from, from + w, to);
            continue;
        }
        for (int i = 0; i < w; ++i)
            to[i] = Combine(code, pattern, convert(from[i]), to[i], mono);
    }
    return true;
}

bool StretchBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int srcX,
                int srcY, int srcWidth, int srcHeight, uint32_t rop) {
    uint8_t code = RopIndex(rop);
    if (!RopUsesSource(code))
        return PatBlt(destHandle, x, y, width, height, rop);
    if (width == srcWidth && height == srcHeight && width > 0 && height > 0) {
        return BitBlt(destHandle, x, y, width, height, srcHandle, srcX, srcY, rop);
    }
    Dc *dest, *src;
    Bitmap *destSurface, *srcSurface;
    if (!Lookup(destHandle, srcHandle, &dest, &src, &destSurface, &srcSurface) || !srcSurface) {
        return false;
    }
    DrawingScope scope(dest, src);
    if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0)
        return true;
    // Negative extents mirror the picture; the rectangle then runs from the
    // given corner leftwards (upwards), the corner's own pixel included.
    bool flipX = false, flipY = false;
    if (width < 0) {
        x += width + 1;
        width = -width;
        flipX = !flipX;
    }
    if (height < 0) {
        y += height + 1;
        height = -height;
        flipY = !flipY;
    }
    if (srcWidth < 0) {
        srcX += srcWidth + 1;
        srcWidth = -srcWidth;
        flipX = !flipX;
    }
    if (srcHeight < 0) {
        srcY += srcHeight + 1;
        srcHeight = -srcHeight;
        flipY = !flipY;
    }
    POINT d = dest->ToDevice(x, y);
    POINT s = src->ToDevice(srcX, srcY);
    RECT area = IntersectRects(RECT{d.x, d.y, d.x + width, d.y + height}, dest->ClipBox());
    if (IsRectEmpty(area))
        return true;

    SourceConversion convert(*src, *srcSurface, *dest, *destSurface);
    uint32_t pattern = 0;
    if (RopUsesPattern(code))
        PatternPixel(*dest, &pattern);
    bool mono = destSurface->monochrome;
    bool halftone = dest->state.stretchMode == HALFTONE && !mono;
    int areaWidth = area.right - area.left;
    // Source column or row of a destination offset, mirrored when asked and
    // clamped to the source surface.
    auto sourceIndex = [](int64_t offset, int srcLength, int destLength, bool flip, int origin,
                          int limit) {
        int i = int(((2 * offset + 1) * srcLength) / (2 * int64_t(destLength)));
        if (flip)
            i = srcLength - 1 - i;
        return std::clamp(origin + i, 0, limit - 1);
    };

    if (!halftone && srcSurface != destSurface) {
        std::vector<int> columns(areaWidth);
        for (int i = 0; i < areaWidth; ++i) {
            columns[i] =
                sourceIndex(area.left + i - d.x, srcWidth, width, flipX, s.x, srcSurface->width);
        }
        bool plainCopy = code == 0xCC && convert.mode == SourceConversion::Same;
        for (int row = area.top; row < area.bottom; ++row) {
            int sy = sourceIndex(row - d.y, srcHeight, height, flipY, s.y, srcSurface->height);
            const uint32_t* from = srcSurface->Row(sy);
            uint32_t* to = destSurface->Row(row) + area.left;
            if (plainCopy) {
                for (int i = 0; i < areaWidth; ++i)
                    to[i] = from[columns[i]];
                continue;
            }
            for (int i = 0; i < areaWidth; ++i) {
                to[i] = Combine(code, pattern, convert(from[columns[i]]), to[i], mono);
            }
        }
        return true;
    }

    // Otherwise work from a converted copy of the source region (edges
    // clamped), which also keeps a stretch within one surface from reading
    // pixels it has already written.
    std::vector<uint32_t> source(size_t(srcWidth) * srcHeight);
    for (int row = 0; row < srcHeight; ++row) {
        int sy = std::clamp(s.y + row, 0, srcSurface->height - 1);
        const uint32_t* from = srcSurface->Row(sy);
        for (int col = 0; col < srcWidth; ++col) {
            int sx = std::clamp(s.x + col, 0, srcSurface->width - 1);
            // Stored already mirrored, so readers index it directly.
            int toRow = flipY ? srcHeight - 1 - row : row;
            int toCol = flipX ? srcWidth - 1 - col : col;
            source[size_t(toRow) * srcWidth + toCol] = convert(from[sx]);
        }
    }
    auto at = [&](int col, int row) -> uint32_t { return source[size_t(row) * srcWidth + col]; };

    if (!halftone) {
        for (int row = area.top; row < area.bottom; ++row) {
            int sy = int(((2 * int64_t(row - d.y) + 1) * srcHeight) / (2 * int64_t(height)));
            uint32_t* to = destSurface->Row(row) + area.left;
            for (int i = 0; i < areaWidth; ++i) {
                int64_t dx = area.left + i - d.x;
                int sx = int(((2 * dx + 1) * srcWidth) / (2 * int64_t(width)));
                to[i] = Combine(code, pattern, at(sx, sy), to[i], mono);
            }
        }
        return true;
    }

    // Halftone: every destination pixel is the area-weighted mean of the
    // source pixels it covers; done in two separable passes.
    std::vector<Taps> colTaps = AreaTaps(width, srcWidth);
    std::vector<Taps> rowTaps = AreaTaps(height, srcHeight);
    int rowFirst = rowTaps[area.top - d.y].first;
    const Taps& lastRowTaps = rowTaps[area.bottom - 1 - d.y];
    int rowEnd = lastRowTaps.first + int(lastRowTaps.weights.size());
    // Horizontal pass: channels in 8.8 fixed point, 4 per pixel.
    std::vector<uint32_t> horizontal(size_t(rowEnd - rowFirst) * areaWidth * 4);
    for (int row = rowFirst; row < rowEnd; ++row) {
        uint32_t* out = horizontal.data() + size_t(row - rowFirst) * areaWidth * 4;
        const uint32_t* in = source.data() + size_t(row) * srcWidth;
        for (int i = 0; i < areaWidth; ++i) {
            const Taps& t = colTaps[area.left + i - d.x];
            const uint32_t* px = in + t.first;
            uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;  // weights sum to 65536: no overflow
            for (size_t k = 0; k < t.weights.size(); ++k) {
                uint32_t p = px[k], w = t.weights[k];
                c0 += w * (p & 0xFF);
                c1 += w * ((p >> 8) & 0xFF);
                c2 += w * ((p >> 16) & 0xFF);
                c3 += w * (p >> 24);
            }
            out[i * 4] = (c0 + 128) >> 8;
            out[i * 4 + 1] = (c1 + 128) >> 8;
            out[i * 4 + 2] = (c2 + 128) >> 8;
            out[i * 4 + 3] = (c3 + 128) >> 8;
        }
    }
    // Vertical pass, a whole row of sums at a time.
    std::vector<uint64_t> sums(size_t(areaWidth) * 4);
    for (int row = area.top; row < area.bottom; ++row) {
        const Taps& t = rowTaps[row - d.y];
        std::fill(sums.begin(), sums.end(), 0);
        for (size_t k = 0; k < t.weights.size(); ++k) {
            const uint32_t* in =
                horizontal.data() + size_t(t.first + int(k) - rowFirst) * areaWidth * 4;
            uint64_t w = t.weights[k];
            for (size_t j = 0; j < sums.size(); ++j)
                sums[j] += w * in[j];
        }
        uint32_t* to = destSurface->Row(row) + area.left;
        for (int i = 0; i < areaWidth; ++i) {
            uint32_t p = 0;
            for (int ch = 0; ch < 4; ++ch) {
                auto v = uint32_t((sums[i * 4 + ch] + (1u << 23)) >> 24);
                p |= std::min<uint32_t>(v, 255) << (8 * ch);
            }
            to[i] = code == 0xCC ? p : Combine(code, pattern, p, to[i], false);
        }
    }
    return true;
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, uint32_t, uint32_t rop) {
    HBITMAP temporary = BitmapFromDib(info, bits);
    if (!temporary)
        return 0;
    HDC memory = CreateCompatibleDC(dc);
    SelectObject(memory, temporary);
    // Source rows are counted from the bottom in a bottom-up packed bitmap.
    int fullHeight = std::abs(info->bmiHeader.biHeight);
    int top = info->bmiHeader.biHeight > 0 ? fullHeight - srcY - srcHeight : srcY;
    bool ok = StretchBlt(dc, x, y, width, height, memory, srcX, top, srcWidth, srcHeight, rop);
    DeleteDC(memory);
    DeleteObject(temporary);
    return ok ? srcHeight : 0;
}

}  // namespace platform
