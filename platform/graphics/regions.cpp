// Rectangular and elliptic regions, and clipping to them.
#include <algorithm>

#include "platform/graphics/raster.h"

namespace platform {
namespace gdi {

DrawingScope::DrawingScope(const Dc* dc, const Dc* source) {
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    if (!surface)
        return;
    Bitmap* other = source ? source->Surface() : nullptr;
    if (other && other != surface) {
        // Both at once, in whatever order avoids a deadlock with a transfer
        // the other way round.
        std::lock(surface->mutex, other->mutex);
        lock_ = std::unique_lock(surface->mutex, std::adopt_lock);
        sourceLock_ = std::unique_lock(other->mutex, std::adopt_lock);
    } else {
        lock_ = std::unique_lock(surface->mutex);
    }
    if (!dc->state.shape || dc->state.shape->inside.empty())
        return;
    box_ = dc->ClipBox();
    if (IsRectEmpty(box_))
        return;
    surface_ = surface;
    shape_ = dc->state.shape;
    int width = box_.right - box_.left;
    saved_.resize(size_t(width) * (box_.bottom - box_.top));
    for (int y = box_.top; y < box_.bottom; ++y) {
        const uint32_t* row = surface_->Row(y) + box_.left;
        std::copy(row, row + width, saved_.begin() + size_t(y - box_.top) * width);
    }
}

DrawingScope::~DrawingScope() {
    if (!surface_)
        return;
    int width = box_.right - box_.left;
    for (int y = box_.top; y < box_.bottom; ++y) {
        uint32_t* row = surface_->Row(y);
        const uint32_t* before = saved_.data() + size_t(y - box_.top) * width;
        for (int x = box_.left; x < box_.right; ++x) {
            if (!shape_->Contains(x, y))
                row[x] = before[x - box_.left];
        }
    }
}

namespace {

HRGN NewRegion(std::shared_ptr<const Shape> shape) {
    auto region = std::make_unique<Region>();
    region->shape = std::move(shape);
    return Register(std::move(region));
}

RECT Ordered(int left, int top, int right, int bottom) {
    return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                std::max(top, bottom)};
}

}  // namespace
}  // namespace gdi

using namespace gdi;

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    auto shape = std::make_shared<Shape>();
    shape->bounds = Ordered(left, top, right, bottom);
    return NewRegion(std::move(shape));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    auto shape = std::make_shared<Shape>();
    RECT r = Ordered(left, top, right, bottom);
    int64_t width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0 || width * height > (int64_t(1) << 26)) {
        shape->bounds = RECT{};
        return NewRegion(std::move(shape));
    }
    shape->bounds = r;
    shape->inside.resize(size_t(width * height));
    // The same pixel-centre test Ellipse fills with, so a filled ellipse and
    // its region cover the same pixels.
    double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    double rx = width / 2.0, ry = height / 2.0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
            shape->inside[size_t(y - r.top) * width + (x - r.left)] = u * u + v * v <= 1.0;
        }
    }
    return NewRegion(std::move(shape));
}

int SelectClipRgn(HDC handle, HRGN regionHandle) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc)
        return ERROR_REGION;
    if (!regionHandle) {
        dc->state.hasClip = false;
        dc->state.shape = nullptr;
        return SIMPLEREGION;
    }
    auto* region = As<Region>(regionHandle, Kind::Region);
    if (!region)
        return ERROR_REGION;
    // The context keeps its own reference; the region may be deleted.
    dc->state.clip = region->shape->bounds;
    dc->state.hasClip = true;
    dc->state.shape = region->shape->inside.empty() ? nullptr : region->shape;
    if (IsRectEmpty(region->shape->bounds))
        return NULLREGION;
    return dc->state.shape ? COMPLEXREGION : SIMPLEREGION;
}

bool PtInRegion(HRGN regionHandle, int x, int y) {
    auto* region = As<Region>(regionHandle, Kind::Region);
    return region && region->shape->Contains(x, y);
}

int GetRgnBox(HRGN regionHandle, RECT* box) {
    auto* region = As<Region>(regionHandle, Kind::Region);
    if (!region || !box)
        return ERROR_REGION;
    *box = region->shape->bounds;
    if (IsRectEmpty(*box))
        return NULLREGION;
    return region->shape->inside.empty() ? SIMPLEREGION : COMPLEXREGION;
}

bool FillRgn(HDC handle, HRGN regionHandle, HBRUSH brush) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    auto* region = As<Region>(regionHandle, Kind::Region);
    if (!dc || !region)
        return false;
    // Fill through the region as a clip, on top of any clip already there.
    DcState saved = dc->state;
    const Shape& shape = *region->shape;
    RECT box = shape.bounds;
    dc->state.clip = dc->state.hasClip ? IntersectRects(dc->state.clip, box) : box;
    dc->state.hasClip = true;
    bool ok;
    if (!shape.inside.empty() && saved.shape) {
        // Two shapes: fill pixel by pixel where both hold.
        COLORREF color;
        ok = BrushColor(brush, &color);
        Bitmap* surface = dc->Surface();
        DrawingScope scope(dc);
        if (ok && surface) {
            RECT area = dc->ClipBox();
            uint32_t pixel = SurfacePixel(*surface, color);
            for (int y = area.top; y < area.bottom; ++y)
                for (int x = area.left; x < area.right; ++x)
                    if (shape.Contains(x, y) && saved.shape->Contains(x, y))
                        surface->Row(y)[x] = pixel;
        }
    } else {
        if (!shape.inside.empty())
            dc->state.shape = region->shape;
        RECT logical = box;
        OffsetRect(&logical, -dc->state.viewport.x, -dc->state.viewport.y);
        ok = FillRect(handle, &logical, brush) != 0;
    }
    dc->state = saved;
    return ok;
}

}  // namespace platform
