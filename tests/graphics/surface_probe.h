// Test helpers: a memory context over a fresh 32-bit bitmap, and pixel
// probes that read the bitmap directly rather than through the library.
#pragma once

#include <cstdint>

#include "platform/graphics/gdi.h"

namespace probe {

struct Canvas {
    platform::HDC dc = nullptr;
    platform::HBITMAP bitmap = nullptr;
    platform::HGDIOBJ previous = nullptr;
    int width = 0;
    int height = 0;

    Canvas(int w, int h, uint32_t fill = 0xFFFFFF) : width(w), height(h) {
        dc = platform::CreateCompatibleDC(nullptr);
        bitmap = platform::CreateBitmap(w, h, 1, 32, nullptr);
        previous = platform::SelectObject(dc, bitmap);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                Set(x, y, fill);
    }
    ~Canvas() {
        platform::SelectObject(dc, previous);
        platform::DeleteDC(dc);
        platform::DeleteObject(bitmap);
    }
    // Raw pixel 0xAARRGGBB.
    uint32_t At(int x, int y) const { return platform::BitmapPixels(bitmap).Row(y)[x]; }
    uint32_t Rgb(int x, int y) const { return At(x, y) & 0xFFFFFF; }
    void Set(int x, int y, uint32_t pixel) { platform::BitmapPixels(bitmap).Row(y)[x] = pixel; }
};

inline int Red(uint32_t p) {
    return (p >> 16) & 0xFF;
}
inline int Green(uint32_t p) {
    return (p >> 8) & 0xFF;
}
inline int Blue(uint32_t p) {
    return p & 0xFF;
}
inline int Alpha(uint32_t p) {
    return (p >> 24) & 0xFF;
}

}  // namespace probe
