// Internal: the objects behind drawing handles. A handle is the address of
// its object; every call checks it against the table of live objects first,
// so a stale or foreign handle fails the call instead of touching memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/graphics/gdi.h"
#include "platform/graphics/gdi_text.h"

namespace platform::gdi {

enum class Kind { Brush, Pen, Bitmap, Font, Dc, Icon, Region };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    COLORREF color = 0;
    bool hollow = false;
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    COLORREF color = 0;
    int width = 1;
    bool hollow = false;
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    int width = 0;
    int height = 0;
    bool monochrome = false;
    std::vector<uint32_t> storage;  // empty when the pixels belong to a section
    std::unique_ptr<uint8_t[]> section;
    uint32_t* pixels = nullptr;
    ptrdiff_t stride = 0;
    // Device contexts holding it. Atomic: every new memory context on every
    // thread selects the one shared stock bitmap.
    std::atomic<int> selectedInto{0};
    std::mutex mutex;  // held while pixels are drawn or composed

    PixelView View() const { return PixelView{pixels, width, height, stride}; }
    uint32_t* Row(int y) const { return View().Row(y); }
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    LOGFONT logical;
};

struct Icon : Object {
    Icon() : Object(Kind::Icon) {}
    int width = 0;
    int height = 0;
    std::vector<uint32_t> color;  // 0xAARRGGBB
    std::vector<uint8_t> mask;    // 1 = keep the destination (before XOR)
    bool hasAlpha = false;
};

// A clipping shape: its bounding box and, for shapes other than a
// rectangle, one byte per pixel of the box (1 inside).
struct Shape {
    RECT bounds;
    std::vector<uint8_t> inside;  // empty: the whole box
    bool Contains(int x, int y) const {
        if (!PtInRect(bounds, POINT{x, y}))
            return false;
        if (inside.empty())
            return true;
        return inside[size_t(y - bounds.top) * (bounds.right - bounds.left) + (x - bounds.left)];
    }
};

struct Region : Object {
    Region() : Object(Kind::Region) {}
    std::shared_ptr<const Shape> shape;
};

struct DcState {
    HBRUSH brush = nullptr;
    HPEN pen = nullptr;
    HFONT font = nullptr;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
    uint32_t textAlign = 0;
    COLORREF dcBrushColor = 0xFFFFFF;
    COLORREF dcPenColor = 0;
    POINT viewport;
    POINT position;
    bool hasClip = false;
    RECT clip;  // device coordinates
    // A selected region that is not a plain rectangle; drawing is limited
    // to its box by `clip` and to its pixels by DrawingScope.
    std::shared_ptr<const Shape> shape;
};

struct Dc : Object {
    Dc() : Object(Kind::Dc) {}
    bool memory = false;
    HBITMAP bitmap = nullptr;  // the surface drawn on
    RECT bounds;               // device area this context may touch
    DcState state;
    std::vector<DcState> saved;

    Bitmap* Surface() const;
    // Device-space rectangle that drawing is limited to.
    RECT ClipBox() const;
    POINT ToDevice(int x, int y) const { return POINT{x + state.viewport.x, y + state.viewport.y}; }
};

// Registry of live objects.
void* Register(std::unique_ptr<Object> object);
Object* Find(const void* handle, Kind kind);
template <class T>
T* As(const void* handle, Kind kind) {
    return static_cast<T*>(Find(handle, kind));
}
// Removes and frees the object; false when it is not registered.
bool Destroy(const void* handle, Kind kind);

inline uint32_t ToPixel(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF ToColorRef(uint32_t p) {
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}
// Nearest of black and white for a monochrome surface.
inline uint32_t ToMonochrome(COLORREF c) {
    int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
    return sum >= 3 * 128 ? 0xFFFFFF : 0;
}
// A brush handle may also be a system colour index plus one.
bool BrushColor(HBRUSH brush, COLORREF* color);

Bitmap* NewBitmapObject(int width, int height, bool monochrome, HBITMAP* handle);

}  // namespace platform::gdi
