// Handles, geometry and colour values shared by every drawing call. Handles
// are opaque pointer-sized words so they travel through external calls whole.
#pragma once

#include <cstdint>

#include "platform/messages/thread_message_queue.h"

namespace platform {

using HGDIOBJ = void*;
using HDC = void*;
using HBITMAP = void*;
using HBRUSH = void*;
using HPEN = void*;
using HFONT = void*;
using HICON = void*;
using HRGN = void*;
using COLORREF = uint32_t;  // 0x00BBGGRR

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct SIZE {
    int32_t cx = 0;
    int32_t cy = 0;
};

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) {
    return uint8_t(c);
}
constexpr uint8_t GetGValue(COLORREF c) {
    return uint8_t(c >> 8);
}
constexpr uint8_t GetBValue(COLORREF c) {
    return uint8_t(c >> 16);
}
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Rectangle helpers (right and bottom are exclusive).
inline bool IsRectEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
inline RECT IntersectRects(const RECT& a, const RECT& b) {
    RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
           a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (IsRectEmpty(r))
        return RECT{};
    return r;
}
inline RECT UnionRects(const RECT& a, const RECT& b) {
    if (IsRectEmpty(a))
        return b;
    if (IsRectEmpty(b))
        return a;
    return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}
inline bool PtInRect(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
bool SetRect(RECT* r, int left, int top, int right, int bottom);
bool OffsetRect(RECT* r, int dx, int dy);
bool InflateRect(RECT* r, int dx, int dy);

}  // namespace platform
