#include "platform/graphics/gdi_objects.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace platform {
namespace gdi {
namespace {

std::mutex g_mutex;
std::unordered_map<const void*, std::unique_ptr<Object>>& Table() {
    static auto* table = new std::unordered_map<const void*, std::unique_ptr<Object>>();
    return *table;
}

}  // namespace

void* Register(std::unique_ptr<Object> object) {
    void* handle = object.get();
    std::lock_guard lock(g_mutex);
    Table()[handle] = std::move(object);
    return handle;
}

Object* Find(const void* handle, Kind kind) {
    if (!handle)
        return nullptr;
    std::lock_guard lock(g_mutex);
    auto it = Table().find(handle);
    if (it == Table().end() || it->second->kind != kind)
        return nullptr;
    return it->second.get();
}

bool Destroy(const void* handle, Kind kind) {
    std::unique_ptr<Object> doomed;
    {
        std::lock_guard lock(g_mutex);
        auto it = Table().find(handle);
        if (it == Table().end() || it->second->kind != kind || it->second->stock)
            return false;
        doomed = std::move(it->second);
        Table().erase(it);
    }
    return true;
}

bool BrushColor(HBRUSH brush, COLORREF* color) {
    auto value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= 31) {
        *color = GetSysColor(int(value) - 1);
        return true;
    }
    auto* object = As<Brush>(brush, Kind::Brush);
    if (!object || object->hollow)
        return false;
    *color = object->color;
    return true;
}

Bitmap* NewBitmapObject(int width, int height, bool monochrome, HBITMAP* handle) {
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->monochrome = monochrome;
    bitmap->storage.assign(size_t(width) * size_t(height), 0);
    bitmap->pixels = bitmap->storage.data();
    bitmap->stride = ptrdiff_t(width) * 4;
    Bitmap* raw = bitmap.get();
    *handle = Register(std::move(bitmap));
    return raw;
}

}  // namespace gdi

using namespace gdi;

bool SetRect(RECT* r, int left, int top, int right, int bottom) {
    if (!r)
        return false;
    *r = RECT{left, top, right, bottom};
    return true;
}
bool OffsetRect(RECT* r, int dx, int dy) {
    if (!r)
        return false;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return true;
}
bool InflateRect(RECT* r, int dx, int dy) {
    if (!r)
        return false;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return true;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto brush = std::make_unique<Brush>();
    brush->color = color & 0xFFFFFF;
    return Register(std::move(brush));
}

HPEN CreatePen(int style, int width, COLORREF color) {
    auto pen = std::make_unique<Pen>();
    pen->color = color & 0xFFFFFF;
    pen->width = width < 1 ? 1 : width;
    pen->hollow = style == PS_NULL;
    return Register(std::move(pen));
}

HGDIOBJ GetStockObject(int which) {
    static std::once_flag once;
    static HGDIOBJ stock[20] = {};
    std::call_once(once, [] {
        auto brush = [](COLORREF c, bool hollow) {
            auto b = std::make_unique<Brush>();
            b->color = c;
            b->hollow = hollow;
            b->stock = true;
            return Register(std::move(b));
        };
        auto pen = [](COLORREF c, bool hollow) {
            auto p = std::make_unique<Pen>();
            p->color = c;
            p->hollow = hollow;
            p->stock = true;
            return Register(std::move(p));
        };
        stock[WHITE_BRUSH] = brush(0xFFFFFF, false);
        stock[LTGRAY_BRUSH] = brush(0xC0C0C0, false);
        stock[GRAY_BRUSH] = brush(0x808080, false);
        stock[DKGRAY_BRUSH] = brush(0x404040, false);
        stock[BLACK_BRUSH] = brush(0, false);
        stock[NULL_BRUSH] = brush(0, true);
        stock[WHITE_PEN] = pen(0xFFFFFF, false);
        stock[BLACK_PEN] = pen(0, false);
        stock[NULL_PEN] = pen(0, true);
        // The DC brush and pen take their colour from the context they are
        // selected into; the objects only mark the choice.
        stock[DC_BRUSH] = brush(0xFFFFFF, false);
        stock[DC_PEN] = pen(0, false);
        for (int id : {SYSTEM_FONT, DEFAULT_GUI_FONT}) {
            auto f = std::make_unique<Font>();
            f->logical.lfHeight = -11;
            if (id == SYSTEM_FONT)
                f->logical.lfWeight = FW_BOLD;
            std::strcpy(f->logical.lfFaceName, "DejaVu Sans");
            f->stock = true;
            stock[id] = Register(std::move(f));
        }
    });
    if (which < 0 || which >= 20)
        return nullptr;
    return stock[which];
}

bool DeleteObject(HGDIOBJ object) {
    if (auto* bitmap = As<Bitmap>(object, Kind::Bitmap)) {
        // A bitmap still selected into a context cannot be deleted.
        if (bitmap->selectedInto > 0)
            return false;
        return Destroy(object, Kind::Bitmap);
    }
    for (Kind kind : {Kind::Brush, Kind::Pen, Kind::Font, Kind::Region}) {
        if (Find(object, kind))
            return Destroy(object, kind);
    }
    return false;
}

uint32_t GetObjectType(HGDIOBJ object) {
    if (Find(object, Kind::Brush))
        return OBJ_BRUSH;
    if (Find(object, Kind::Pen))
        return OBJ_PEN;
    if (Find(object, Kind::Bitmap))
        return OBJ_BITMAP;
    if (Find(object, Kind::Font))
        return OBJ_FONT;
    if (Find(object, Kind::Region))
        return OBJ_REGION;
    if (auto* dc = As<Dc>(object, Kind::Dc))
        return dc->memory ? OBJ_MEMDC : OBJ_DC;
    return 0;
}

int GetObject(HGDIOBJ object, int size, void* out) {
    if (auto* bitmap = As<Bitmap>(object, Kind::Bitmap)) {
        if (!out)
            return sizeof(BITMAP);
        if (size < int(sizeof(BITMAP)))
            return 0;
        BITMAP info;
        info.bmWidth = bitmap->width;
        info.bmHeight = bitmap->height;
        info.bmPlanes = 1;
        info.bmBitsPixel = bitmap->monochrome ? 1 : 32;
        info.bmWidthBytes =
            bitmap->monochrome ? ((bitmap->width + 15) / 16) * 2 : bitmap->width * 4;
        info.bmBits = bitmap->section ? bitmap->section.get() : nullptr;
        std::memcpy(out, &info, sizeof info);
        return sizeof info;
    }
    if (auto* font = As<Font>(object, Kind::Font)) {
        if (!out)
            return sizeof(LOGFONT);
        if (size < int(sizeof(LOGFONT)))
            return 0;
        std::memcpy(out, &font->logical, sizeof(LOGFONT));
        return sizeof(LOGFONT);
    }
    if (auto* brush = As<Brush>(object, Kind::Brush)) {
        if (!out)
            return sizeof(LOGBRUSH);
        if (size < int(sizeof(LOGBRUSH)))
            return 0;
        LOGBRUSH record;
        record.lbStyle = brush->hollow ? BS_HOLLOW : BS_SOLID;
        record.lbColor = brush->color;
        std::memcpy(out, &record, sizeof record);
        return sizeof record;
    }
    return 0;
}

COLORREF GetSysColor(int index) {
    // A light, neutral desktop look.
    switch (index) {
        case COLOR_SCROLLBAR:
            return 0xC8C8C8;
        case COLOR_BACKGROUND:
            return 0x6B4E3A;
        case COLOR_WINDOW:
            return 0xFFFFFF;
        case COLOR_WINDOWFRAME:
            return 0x646464;
        case COLOR_WINDOWTEXT:
            return 0x000000;
        case COLOR_HIGHLIGHT:
            return 0xD77800;
        case COLOR_HIGHLIGHTTEXT:
            return 0xFFFFFF;
        case COLOR_BTNFACE:
            return 0xF0F0F0;
        case COLOR_BTNSHADOW:
            return 0xA0A0A0;
        case COLOR_GRAYTEXT:
            return 0x6D6D6D;
        case COLOR_BTNTEXT:
            return 0x000000;
        case COLOR_BTNHIGHLIGHT:
            return 0xFFFFFF;
        case COLOR_3DDKSHADOW:
            return 0x696969;
        case COLOR_3DLIGHT:
            return 0xE3E3E3;
        default:
            return 0xC0C0C0;
    }
}

HBRUSH GetSysColorBrush(int index) {
    static std::mutex mutex;
    static std::unordered_map<int, HBRUSH> brushes;
    std::lock_guard lock(mutex);
    auto& brush = brushes[index];
    if (!brush) {
        auto b = std::make_unique<Brush>();
        b->color = GetSysColor(index);
        b->stock = true;
        brush = Register(std::move(b));
    }
    return brush;
}

}  // namespace platform
