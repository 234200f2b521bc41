#include <atomic>
#include <mutex>
#include <utility>

#include "platform/graphics/gdi_objects.h"

namespace platform {
namespace gdi {

Bitmap* Dc::Surface() const {
    return As<Bitmap>(bitmap, Kind::Bitmap);
}

RECT Dc::ClipBox() const {
    Bitmap* surface = Surface();
    if (!surface)
        return RECT{};
    RECT box = IntersectRects(RECT{0, 0, surface->width, surface->height}, bounds);
    if (state.hasClip)
        box = IntersectRects(box, state.clip);
    return box;
}

namespace {

HBITMAP DefaultMemoryBitmap() {
    static HBITMAP bitmap = [] {
        HBITMAP handle = nullptr;
        Bitmap* b = NewBitmapObject(1, 1, true, &handle);
        b->stock = true;
        return handle;
    }();
    return bitmap;
}

std::atomic<int> g_screenWidth{1920};
std::atomic<int> g_screenHeight{1080};

HDC NewDc(bool memory, HBITMAP surface, const RECT& bounds) {
    auto dc = std::make_unique<Dc>();
    dc->memory = memory;
    dc->bitmap = surface;
    dc->bounds = bounds;
    dc->state.brush = GetStockObject(WHITE_BRUSH);
    dc->state.pen = GetStockObject(BLACK_PEN);
    dc->state.font = GetStockObject(SYSTEM_FONT);
    if (auto* b = As<Bitmap>(surface, Kind::Bitmap))
        b->selectedInto++;
    return Register(std::move(dc));
}

}  // namespace
}  // namespace gdi

using namespace gdi;

void SetScreenSize(int width, int height) {
    g_screenWidth = width;
    g_screenHeight = height;
}
SIZE GetScreenSize() {
    return SIZE{g_screenWidth, g_screenHeight};
}

HDC CreateCompatibleDC(HDC) {
    return NewDc(true, DefaultMemoryBitmap(), RECT{0, 0, 1 << 30, 1 << 30});
}

HDC CreateSurfaceDC(HBITMAP surface, const RECT& bounds) {
    if (!As<Bitmap>(surface, Kind::Bitmap))
        return nullptr;
    return NewDc(false, surface, bounds);
}

bool DeleteDC(HDC handle) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc)
        return false;
    if (auto* b = dc->Surface())
        b->selectedInto--;
    return Destroy(handle, Kind::Dc);
}

SIZE SurfaceSize(HDC handle) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    Bitmap* b = dc ? dc->Surface() : nullptr;
    return b ? SIZE{b->width, b->height} : SIZE{};
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc || !object)
        return nullptr;
    HGDIOBJ previous = nullptr;
    if (Find(object, Kind::Brush)) {
        previous = dc->state.brush;
        dc->state.brush = object;
    } else if (Find(object, Kind::Pen)) {
        previous = dc->state.pen;
        dc->state.pen = object;
    } else if (Find(object, Kind::Font)) {
        previous = dc->state.font;
        dc->state.font = object;
    } else if (auto* bitmap = As<Bitmap>(object, Kind::Bitmap)) {
        // Only memory contexts change surfaces, and a bitmap sits in one
        // context at a time.
        if (!dc->memory)
            return nullptr;
        if (object == dc->bitmap)
            return object;
        if (bitmap->selectedInto > 0 && !bitmap->stock)
            return nullptr;
        if (auto* old = dc->Surface())
            old->selectedInto--;
        bitmap->selectedInto++;
        previous = dc->bitmap;
        dc->bitmap = object;
    }
    return previous;
}

HGDIOBJ GetCurrentObject(HDC handle, uint32_t kind) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc)
        return nullptr;
    switch (kind) {
        case OBJ_PEN:
            return dc->state.pen;
        case OBJ_BRUSH:
            return dc->state.brush;
        case OBJ_FONT:
            return dc->state.font;
        case OBJ_BITMAP:
            return dc->bitmap;
        default:
            return nullptr;
    }
}

namespace {

// The Set* calls that replace one field of the context's state answer the
// field's value before; a handle that is not a context answers `invalid`.
template <typename T>
T ReplaceState(HDC handle, T DcState::*field, T value, T invalid) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    return dc ? std::exchange(dc->state.*field, value) : invalid;
}

template <typename T>
T ReadState(HDC handle, T DcState::*field, T invalid) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    return dc ? dc->state.*field : invalid;
}

}  // namespace

#define DC_FIELD_ACCESSORS(Setter, Getter, Type, field, fallback)            \
    Type Setter(HDC handle, Type value) {                                    \
        return ReplaceState<Type>(handle, &DcState::field, value, fallback); \
    }                                                                        \
    Type Getter(HDC handle) {                                                \
        return ReadState<Type>(handle, &DcState::field, fallback);           \
    }

DC_FIELD_ACCESSORS(SetTextColor, GetTextColor, COLORREF, textColor, CLR_INVALID)
DC_FIELD_ACCESSORS(SetBkColor, GetBkColor, COLORREF, bkColor, CLR_INVALID)
DC_FIELD_ACCESSORS(SetBkMode, GetBkMode, int, bkMode, 0)
DC_FIELD_ACCESSORS(SetStretchBltMode, GetStretchBltMode, int, stretchMode, 0)
#undef DC_FIELD_ACCESSORS

COLORREF SetDCBrushColor(HDC handle, COLORREF color) {
    return ReplaceState(handle, &DcState::dcBrushColor, color, CLR_INVALID);
}

COLORREF SetDCPenColor(HDC handle, COLORREF color) {
    return ReplaceState(handle, &DcState::dcPenColor, color, CLR_INVALID);
}

uint32_t SetTextAlign(HDC handle, uint32_t align) {
    return ReplaceState(handle, &DcState::textAlign, align, 0xFFFFFFFFu);
}

bool SetBrushOrgEx(HDC handle, int, int, POINT* previous) {
    // Brushes are solid, so their origin never shows.
    if (!As<Dc>(handle, Kind::Dc))
        return false;
    if (previous)
        *previous = POINT{};
    return true;
}

bool SetViewportOrgEx(HDC handle, int x, int y, POINT* previous) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc)
        return false;
    if (previous)
        *previous = dc->state.viewport;
    dc->state.viewport = POINT{x, y};
    return true;
}

bool OffsetViewportOrgEx(HDC handle, int dx, int dy, POINT* previous) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc)
        return false;
    if (previous)
        *previous = dc->state.viewport;
    dc->state.viewport.x += dx;
    dc->state.viewport.y += dy;
    return true;
}

int GetDeviceCaps(HDC handle, int index) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    bool mono = surface && surface->monochrome;
    switch (index) {
        case HORZRES:
            return g_screenWidth;
        case VERTRES:
            return g_screenHeight;
        case BITSPIXEL:
            return mono ? 1 : 32;
        case PLANES:
            return 1;
        case NUMCOLORS:
            return -1;
        case RASTERCAPS:
            return 0x0001 | 0x0008 | 0x0800;  // bitblt, bitmap64, stretchblt
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        default:
            return 0;
    }
}

HPALETTE SelectPalette(HDC, HPALETTE, bool) {
    return nullptr;
}
unsigned RealizePalette(HDC) {
    return 0;
}

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc)
        return ERROR_REGION;
    POINT a = dc->ToDevice(left, top);
    POINT b = dc->ToDevice(right, bottom);
    RECT wanted{a.x, a.y, b.x, b.y};
    dc->state.clip = dc->state.hasClip ? IntersectRects(dc->state.clip, wanted) : wanted;
    dc->state.hasClip = true;
    return IsRectEmpty(dc->state.clip) ? NULLREGION : SIMPLEREGION;
}

int GetClipBox(HDC handle, RECT* rect) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc || !rect)
        return ERROR_REGION;
    RECT box = dc->ClipBox();
    OffsetRect(&box, -dc->state.viewport.x, -dc->state.viewport.y);
    *rect = box;
    return IsRectEmpty(box) ? NULLREGION : SIMPLEREGION;
}

int SaveDC(HDC handle) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    return int(dc->saved.size());
}

bool RestoreDC(HDC handle, int saved) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    if (!dc)
        return false;
    int count = int(dc->saved.size());
    int level = saved < 0 ? count + saved + 1 : saved;
    if (level < 1 || level > count)
        return false;
    dc->state = dc->saved[level - 1];
    dc->saved.resize(level - 1);
    return true;
}

}  // namespace platform
