// Gradient fill of rectangles (horizontal or vertical) and of triangles,
// with 16-bit channels and vertex alpha written to the pixels' alpha byte.
#include <algorithm>
#include <cmath>

#include "platform/graphics/raster.h"

namespace platform {
namespace gdi {
namespace {

inline uint32_t PackChannels(const double c[4], bool mono) {
    auto to8 = [](double v) { return uint32_t(std::clamp(v, 0.0, 65535.0)) >> 8; };
    uint32_t pixel = (to8(c[0]) << 16) | (to8(c[1]) << 8) | to8(c[2]);
    if (mono)
        return ToMonochrome(ToColorRef(pixel));
    return pixel | (to8(c[3]) << 24);
}

void FillRectGradient(Dc& dc, Bitmap& surface, const TRIVERTEX& a, const TRIVERTEX& b,
                      bool vertical) {
    POINT p = dc.ToDevice(a.x, a.y), q = dc.ToDevice(b.x, b.y);
    const TRIVERTEX* first = &a;
    const TRIVERTEX* second = &b;
    // The colour of the vertex nearer the start of the axis starts the ramp.
    if ((vertical ? p.y > q.y : p.x > q.x))
        std::swap(first, second);
    RECT area{std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
    int start = vertical ? area.top : area.left;
    int span = vertical ? area.bottom - area.top : area.right - area.left;
    RECT clipped = IntersectRects(area, dc.ClipBox());
    if (IsRectEmpty(clipped) || span <= 0)
        return;
    const int c0[4] = {first->Red, first->Green, first->Blue, first->Alpha};
    const int c1[4] = {second->Red, second->Green, second->Blue, second->Alpha};
    auto colorAt = [&](int position) {
        double c[4];
        for (int ch = 0; ch < 4; ++ch) {
            c[ch] = c0[ch] + double(c1[ch] - c0[ch]) * (position - start) / span;
        }
        return PackChannels(c, surface.monochrome);
    };
    if (vertical) {
        for (int y = clipped.top; y < clipped.bottom; ++y) {
            uint32_t pixel = colorAt(y);
            std::fill(surface.Row(y) + clipped.left, surface.Row(y) + clipped.right, pixel);
        }
        return;
    }
    std::vector<uint32_t> ramp(clipped.right - clipped.left);
    for (int x = clipped.left; x < clipped.right; ++x)
        ramp[x - clipped.left] = colorAt(x);
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        std::copy(ramp.begin(), ramp.end(), surface.Row(y) + clipped.left);
    }
}

void FillTriangle(Dc& dc, Bitmap& surface, const TRIVERTEX& a, const TRIVERTEX& b,
                  const TRIVERTEX& c) {
    const TRIVERTEX* v[3] = {&a, &b, &c};
    double vx[3], vy[3];
    for (int i = 0; i < 3; ++i) {
        POINT p = dc.ToDevice(v[i]->x, v[i]->y);
        vx[i] = p.x;
        vy[i] = p.y;
    }
    double area = (vx[1] - vx[0]) * (vy[2] - vy[0]) - (vx[2] - vx[0]) * (vy[1] - vy[0]);
    if (area == 0)
        return;
    RECT box{int(std::floor(std::min({vx[0], vx[1], vx[2]}))),
             int(std::floor(std::min({vy[0], vy[1], vy[2]}))),
             int(std::ceil(std::max({vx[0], vx[1], vx[2]}))),
             int(std::ceil(std::max({vy[0], vy[1], vy[2]})))};
    box = IntersectRects(box, dc.ClipBox());
    for (int y = box.top; y < box.bottom; ++y) {
        uint32_t* row = surface.Row(y);
        double py = y + 0.5;
        for (int x = box.left; x < box.right; ++x) {
            double px = x + 0.5;
            // Barycentric weights of the pixel centre.
            double w0 = ((vx[1] - px) * (vy[2] - py) - (vx[2] - px) * (vy[1] - py)) / area;
            double w1 = ((vx[2] - px) * (vy[0] - py) - (vx[0] - px) * (vy[2] - py)) / area;
            double w2 = 1.0 - w0 - w1;
            const double eps = -1e-9;
            if (w0 < eps || w1 < eps || w2 < eps)
                continue;
            double ch[4] = {
                w0 * a.Red + w1 * b.Red + w2 * c.Red,
                w0 * a.Green + w1 * b.Green + w2 * c.Green,
                w0 * a.Blue + w1 * b.Blue + w2 * c.Blue,
                w0 * a.Alpha + w1 * b.Alpha + w2 * c.Alpha,
            };
            row[x] = PackChannels(ch, surface.monochrome);
        }
    }
}

}  // namespace
}  // namespace gdi

using namespace gdi;

TRIVERTEX GradientVertex(int x, int y, COLORREF color, uint8_t alpha) {
    TRIVERTEX v;
    v.x = x;
    v.y = y;
    v.Red = COLOR16(GetRValue(color) << 8);
    v.Green = COLOR16(GetGValue(color) << 8);
    v.Blue = COLOR16(GetBValue(color) << 8);
    v.Alpha = COLOR16(alpha << 8);
    return v;
}

bool GradientFill(HDC handle, const TRIVERTEX* vertices, uint32_t vertexCount, const void* mesh,
                  uint32_t meshCount, uint32_t mode) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    DrawingScope scope(dc);
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    if (!surface || !vertices || !mesh)
        return false;
    if (mode == GRADIENT_FILL_TRIANGLE) {
        const auto* triangles = static_cast<const GRADIENT_TRIANGLE*>(mesh);
        for (uint32_t i = 0; i < meshCount; ++i) {
            const GRADIENT_TRIANGLE& t = triangles[i];
            if (t.Vertex1 >= vertexCount || t.Vertex2 >= vertexCount || t.Vertex3 >= vertexCount) {
                return false;
            }
            FillTriangle(*dc, *surface, vertices[t.Vertex1], vertices[t.Vertex2],
                         vertices[t.Vertex3]);
        }
        return true;
    }
    if (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V)
        return false;
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (uint32_t i = 0; i < meshCount; ++i) {
        if (rects[i].UpperLeft >= vertexCount || rects[i].LowerRight >= vertexCount)
            return false;
        FillRectGradient(*dc, *surface, vertices[rects[i].UpperLeft], vertices[rects[i].LowerRight],
                         mode == GRADIENT_FILL_RECT_V);
    }
    return true;
}

}  // namespace platform
