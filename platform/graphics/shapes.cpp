// Pixels, lines, rectangles, ellipses and the focus rectangle.
#include <algorithm>
#include <cstdlib>

#include "platform/graphics/raster.h"

namespace platform {
namespace gdi {

bool PatternPixel(const Dc& dc, uint32_t* pixel) {
    Bitmap* surface = dc.Surface();
    if (!surface)
        return false;
    COLORREF color;
    if (dc.state.brush == GetStockObject(DC_BRUSH)) {
        color = dc.state.dcBrushColor;
    } else if (!BrushColor(dc.state.brush, &color)) {
        return false;
    }
    *pixel = SurfacePixel(*surface, color);
    return true;
}

bool PenPixel(const Dc& dc, uint32_t* pixel, int* width) {
    Bitmap* surface = dc.Surface();
    auto* pen = As<Pen>(dc.state.pen, Kind::Pen);
    if (!surface || !pen || pen->hollow)
        return false;
    COLORREF color = dc.state.pen == GetStockObject(DC_PEN) ? dc.state.dcPenColor : pen->color;
    *pixel = SurfacePixel(*surface, color);
    *width = pen->width;
    return true;
}

void RopFill(Bitmap& surface, const RECT& area, uint8_t code, uint32_t pattern) {
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = surface.Row(y);
        if (code == 0xF0) {
            std::fill(row + area.left, row + area.right, pattern);
            continue;
        }
        for (int x = area.left; x < area.right; ++x) {
            row[x] = KeepColor(ApplyRop3(code, pattern, 0, row[x]), row[x]);
            if (surface.monochrome)
                row[x] &= 0xFFFFFF;
        }
    }
}

namespace {

RECT DeviceRect(const Dc& dc, int left, int top, int right, int bottom) {
    POINT a = dc.ToDevice(left, top);
    POINT b = dc.ToDevice(right, bottom);
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void FillDevice(const Dc& dc, const RECT& area, uint32_t pixel) {
    Bitmap* surface = dc.Surface();
    RECT clipped = IntersectRects(area, dc.ClipBox());
    if (surface && !IsRectEmpty(clipped))
        RopFill(*surface, clipped, 0xF0, pixel);
}

// A square of the pen's width centred on the point.
void PlotPen(const Dc& dc, int x, int y, uint32_t pixel, int width) {
    if (width <= 1) {
        PlotPixel(*dc.Surface(), dc.ClipBox(), x, y, pixel);
        return;
    }
    int half = width / 2;
    FillDevice(dc, RECT{x - half, y - half, x - half + width, y - half + width}, pixel);
}

// SetPixel and GetPixel: the surface's pixel at the logical point, or null
// without a surface or outside the clip.
uint32_t* ClippedPixel(const Dc* dc, int x, int y) {
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    if (!surface)
        return nullptr;
    POINT p = dc->ToDevice(x, y);
    if (!PtInRect(dc->ClipBox(), p))
        return nullptr;
    return &surface->Row(p.y)[p.x];
}

// FillRect and FrameRect: the whole rectangle, or only its one-pixel frame,
// in the brush's colour. Answers 0 when there is nothing to paint with.
int PaintBrushRect(HDC handle, const RECT* rect, HBRUSH brush, bool frameOnly) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    COLORREF color;
    if (!surface || !rect || !BrushColor(brush, &color))
        return 0;
    const RECT r = DeviceRect(*dc, rect->left, rect->top, rect->right, rect->bottom);
    const uint32_t pixel = SurfacePixel(*surface, color);
    if (!frameOnly) {
        FillDevice(*dc, r, pixel);
        return 1;
    }
    if (IsRectEmpty(r))
        return 1;
    FillDevice(*dc, RECT{r.left, r.top, r.right, r.top + 1}, pixel);
    FillDevice(*dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, pixel);
    FillDevice(*dc, RECT{r.left, r.top, r.left + 1, r.bottom}, pixel);
    FillDevice(*dc, RECT{r.right - 1, r.top, r.right, r.bottom}, pixel);
    return 1;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    uint32_t* pixel = ClippedPixel(dc, x, y);
    if (!pixel)
        return CLR_INVALID;
    *pixel = SurfacePixel(*dc->Surface(), color);
    return ToColorRef(*pixel);
}

COLORREF GetPixel(HDC handle, int x, int y) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    const uint32_t* pixel = ClippedPixel(dc, x, y);
    return pixel ? ToColorRef(*pixel) : CLR_INVALID;
}

bool MoveToEx(HDC handle, int x, int y, POINT* previous) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc)
        return false;
    if (previous)
        *previous = dc->state.position;
    dc->state.position = POINT{x, y};
    return true;
}

bool LineTo(HDC handle, int x, int y) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    if (!dc || !dc->Surface())
        return false;
    POINT from = dc->ToDevice(dc->state.position.x, dc->state.position.y);
    POINT to = dc->ToDevice(x, y);
    dc->state.position = POINT{x, y};
    uint32_t pixel;
    int width;
    if (!PenPixel(*dc, &pixel, &width))
        return true;
    // Bresenham; the end point itself is not drawn, so joined lines meet
    // without drawing the corner twice.
    int dx = std::abs(to.x - from.x), sx = from.x < to.x ? 1 : -1;
    int dy = -std::abs(to.y - from.y), sy = from.y < to.y ? 1 : -1;
    int error = dx + dy;
    int cx = from.x, cy = from.y;
    while (cx != to.x || cy != to.y) {
        PlotPen(*dc, cx, cy, pixel, width);
        int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            cx += sx;
        }
        if (e2 <= dx) {
            error += dx;
            cy += sy;
        }
    }
    return true;
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
    return PaintBrushRect(handle, rect, brush, false);
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH brush) {
    return PaintBrushRect(handle, rect, brush, true);
}

bool Rectangle(HDC handle, int left, int top, int right, int bottom) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    if (!dc || !dc->Surface())
        return false;
    RECT r = DeviceRect(*dc, left, top, right, bottom);
    uint32_t pixel;
    int width = 1;
    bool framed = PenPixel(*dc, &pixel, &width);
    RECT inner = r;
    if (framed)
        InflateRect(&inner, -width, -width);
    uint32_t fill;
    if (PatternPixel(*dc, &fill))
        FillDevice(*dc, inner, fill);
    if (framed) {
        FillDevice(*dc, RECT{r.left, r.top, r.right, r.top + width}, pixel);
        FillDevice(*dc, RECT{r.left, r.bottom - width, r.right, r.bottom}, pixel);
        FillDevice(*dc, RECT{r.left, r.top, r.left + width, r.bottom}, pixel);
        FillDevice(*dc, RECT{r.right - width, r.top, r.right, r.bottom}, pixel);
    }
    return true;
}

bool Ellipse(HDC handle, int left, int top, int right, int bottom) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    if (!surface)
        return false;
    RECT r = DeviceRect(*dc, left, top, right, bottom);
    if (IsRectEmpty(r))
        return true;
    RECT clip = dc->ClipBox();
    double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    double rx = (r.right - r.left) / 2.0, ry = (r.bottom - r.top) / 2.0;
    auto inside = [&](int x, int y) {
        double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
        return u * u + v * v <= 1.0;
    };
    uint32_t pen = 0, brush = 0;
    int width = 1;
    bool framed = PenPixel(*dc, &pen, &width);
    bool filled = PatternPixel(*dc, &brush);
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (!inside(x, y))
                continue;
            bool edge =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            if (edge && framed) {
                PlotPixel(*surface, clip, x, y, pen);
            } else if (filled) {
                PlotPixel(*surface, clip, x, y, brush);
            }
        }
    }
    return true;
}

bool InvertRect(HDC handle, const RECT* rect) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    if (!surface || !rect)
        return false;
    RECT r = IntersectRects(DeviceRect(*dc, rect->left, rect->top, rect->right, rect->bottom),
                            dc->ClipBox());
    if (!IsRectEmpty(r))
        RopFill(*surface, r, 0x55, 0);
    return true;
}

bool DrawFocusRect(HDC handle, const RECT* rect) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    if (!surface || !rect)
        return false;
    RECT r = DeviceRect(*dc, rect->left, rect->top, rect->right, rect->bottom);
    if (IsRectEmpty(r))
        return true;
    RECT clip = dc->ClipBox();
    // Every other pixel of the frame, in a checkerboard fixed to the
    // surface, so the two halves of a frame drawn in parts still line up.
    auto flip = [&](int x, int y) {
        if (((x + y) & 1) == 0 && PtInRect(clip, POINT{x, y}))
            surface->Row(y)[x] ^= 0xFFFFFF;
    };
    for (int x = r.left; x < r.right; ++x) {
        flip(x, r.top);
        if (r.bottom - 1 != r.top)
            flip(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        flip(r.left, y);
        if (r.right - 1 != r.left)
            flip(r.right - 1, y);
    }
    return true;
}

}  // namespace platform
