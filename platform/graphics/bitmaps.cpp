// Device bitmaps and their exchange with packed device-independent rows.
#include <cstdlib>
#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/graphics/raster.h"

namespace platform {
namespace gdi {
namespace {

// Refuse sizes whose pixel count would not fit comfortably in memory or in
// 32-bit row arithmetic.
bool SaneSize(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= 1 << 16 && height <= 1 << 16 &&
           width * height <= (int64_t(1) << 28);
}

int64_t DibStride(int64_t width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

}  // namespace

HBITMAP BitmapFromDib(const BITMAPINFO* info, const void* bits) {
    if (!info || !bits)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < 40)
        return nullptr;
    int64_t width = h.biWidth, height = std::abs(int64_t(h.biHeight));
    if (!SaneSize(width, height))
        return nullptr;
    int bpp = h.biBitCount;
    bool bitfields = h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32);
    if (h.biCompression != BI_RGB && !bitfields)
        return nullptr;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return nullptr;
    const auto* table = reinterpret_cast<const uint8_t*>(info) + h.biSize;
    uint32_t colors = bpp <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << bpp) : 0;
    if (colors > 256)
        colors = 256;
    uint32_t palette[256] = {};
    for (uint32_t i = 0; i < colors; ++i) {
        const uint8_t* q = table + 4 * i;
        palette[i] = uint32_t(q[0]) | (uint32_t(q[1]) << 8) | (uint32_t(q[2]) << 16);
    }
    HBITMAP handle = nullptr;
    Bitmap* bitmap = NewBitmapObject(int(width), int(height), false, &handle);
    int64_t stride = DibStride(width, bpp);
    bool topDown = h.biHeight < 0;
    const auto* data = static_cast<const uint8_t*>(bits);
    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* in = data + row * stride;
        uint32_t* out = bitmap->Row(int(topDown ? row : height - 1 - row));
        for (int64_t x = 0; x < width; ++x) {
            switch (bpp) {
                case 1:
                    out[x] = palette[(in[x >> 3] >> (7 - (x & 7))) & 1];
                    break;
                case 4:
                    out[x] = palette[(in[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
                    break;
                case 8:
                    out[x] = palette[in[x]];
                    break;
                case 16: {
                    uint32_t v = ReadLe16(in + 2 * x);
                    auto expand = [](uint32_t c) { return (c << 3) | (c >> 2); };
                    out[x] = (expand((v >> 10) & 31) << 16) | (expand((v >> 5) & 31) << 8) |
                             expand(v & 31);
                    break;
                }
                case 24:
                    out[x] = uint32_t(in[3 * x]) | (uint32_t(in[3 * x + 1]) << 8) |
                             (uint32_t(in[3 * x + 2]) << 16);
                    break;
                case 32:
                    std::memcpy(&out[x], in + 4 * x, 4);
                    break;
            }
        }
    }
    return handle;
}

}  // namespace gdi

using namespace gdi;

HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel,
                     const void* bits) {
    if (!SaneSize(width, height) || planes != 1)
        return nullptr;
    if (bitsPerPixel != 1 && bitsPerPixel != 32)
        return nullptr;
    HBITMAP handle = nullptr;
    Bitmap* bitmap = NewBitmapObject(width, height, bitsPerPixel == 1, &handle);
    if (!bits)
        return handle;
    const auto* data = static_cast<const uint8_t*>(bits);
    if (bitsPerPixel == 32) {
        std::memcpy(bitmap->pixels, data, size_t(width) * height * 4);
        return handle;
    }
    // Device bitmap rows are padded to 16 bits.
    size_t rowBytes = size_t((width + 15) / 16) * 2;
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = data + y * rowBytes;
        uint32_t* out = bitmap->Row(y);
        for (int x = 0; x < width; ++x)
            out[x] = ((in[x >> 3] >> (7 - (x & 7))) & 1) ? 0xFFFFFF : 0;
    }
    return handle;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (width == 0 || height == 0)
        width = height = 1;
    if (!SaneSize(width, height))
        return nullptr;
    auto* context = As<Dc>(dc, Kind::Dc);
    Bitmap* current = context ? context->Surface() : nullptr;
    bool mono = context && context->memory && current && current->monochrome;
    HBITMAP handle = nullptr;
    NewBitmapObject(width, height, mono, &handle);
    return handle;
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, uint32_t init, const void* bits,
                       const BITMAPINFO* info, uint32_t) {
    if (!header)
        return nullptr;
    if (!(init & CBM_INIT))
        return CreateCompatibleBitmap(dc, header->biWidth, std::abs(header->biHeight));
    return BitmapFromDib(info ? info : reinterpret_cast<const BITMAPINFO*>(header), bits);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, uint32_t, void** bits, void*, uint32_t) {
    if (bits)
        *bits = nullptr;
    if (!info)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int64_t width = h.biWidth, height = std::abs(int64_t(h.biHeight));
    if (!SaneSize(width, height) || h.biBitCount != 32 ||
        (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS)) {
        return nullptr;
    }
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = int(width);
    bitmap->height = int(height);
    size_t rowBytes = size_t(width) * 4;
    bitmap->section = std::make_unique<uint8_t[]>(rowBytes * height);
    std::memset(bitmap->section.get(), 0, rowBytes * height);
    uint8_t* base = bitmap->section.get();
    // Bottom-up sections keep row 0 of the picture at the end of the block.
    if (h.biHeight > 0) {
        bitmap->pixels = reinterpret_cast<uint32_t*>(base + rowBytes * (height - 1));
        bitmap->stride = -ptrdiff_t(rowBytes);
    } else {
        bitmap->pixels = reinterpret_cast<uint32_t*>(base);
        bitmap->stride = ptrdiff_t(rowBytes);
    }
    if (bits)
        *bits = base;
    return Register(std::move(bitmap));
}

int GetDIBits(HDC, HBITMAP handle, unsigned startRow, unsigned rows, void* bits, BITMAPINFO* info,
              uint32_t) {
    auto* bitmap = As<Bitmap>(handle, Kind::Bitmap);
    if (!bitmap || !info)
        return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount == 0)
        h.biBitCount = 32;
    if (h.biBitCount != 24 && h.biBitCount != 32)
        return 0;
    if (h.biCompression != BI_RGB)
        return 0;
    int64_t stride = DibStride(bitmap->width, h.biBitCount);
    if (!bits) {
        h.biWidth = bitmap->width;
        h.biHeight = bitmap->height;
        h.biPlanes = 1;
        h.biSizeImage = uint32_t(stride * bitmap->height);
        return 1;
    }
    if (h.biWidth != bitmap->width)
        return 0;
    bool topDown = h.biHeight < 0;
    auto* out = static_cast<uint8_t*>(bits);
    int copied = 0;
    for (unsigned line = startRow; line < startRow + rows && int(line) < bitmap->height; ++line) {
        int source = topDown ? int(line) : bitmap->height - 1 - int(line);
        const uint32_t* in = bitmap->Row(source);
        uint8_t* row = out + int64_t(line - startRow) * stride;
        std::memset(row, 0, size_t(stride));
        for (int x = 0; x < bitmap->width; ++x) {
            if (h.biBitCount == 32) {
                std::memcpy(row + 4 * x, &in[x], 4);
            } else {
                row[3 * x] = uint8_t(in[x]);
                row[3 * x + 1] = uint8_t(in[x] >> 8);
                row[3 * x + 2] = uint8_t(in[x] >> 16);
            }
        }
        ++copied;
    }
    return copied;
}

std::unique_lock<std::mutex> LockBitmap(HBITMAP handle) {
    auto* bitmap = As<Bitmap>(handle, Kind::Bitmap);
    return bitmap ? std::unique_lock(bitmap->mutex) : std::unique_lock<std::mutex>();
}

PixelView BitmapPixels(HBITMAP handle) {
    auto* bitmap = As<Bitmap>(handle, Kind::Bitmap);
    return bitmap ? bitmap->View() : PixelView{};
}

}  // namespace platform
