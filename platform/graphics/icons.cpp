// Icons: a colour image with a see-through mask, or with per-pixel alpha.
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/graphics/raster.h"

namespace platform {
namespace gdi {
namespace {

bool DecodePngImage(const uint8_t* bytes, uint32_t size, Icon& icon) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes, size))
        return false;
    image.format = PNG_FORMAT_BGRA;
    if (image.width == 0 || image.height == 0 || image.width > 1024 || image.height > 1024) {
        png_image_free(&image);
        return false;
    }
    icon.width = int(image.width);
    icon.height = int(image.height);
    icon.color.assign(size_t(icon.width) * icon.height, 0);
    if (!png_image_finish_read(&image, nullptr, icon.color.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    icon.mask.assign(icon.color.size(), 0);
    icon.hasAlpha = true;
    return true;
}

bool DecodeDibImage(const uint8_t* bytes, uint32_t size, Icon& icon) {
    if (size < 40 || ReadLe32(bytes) < 40)
        return false;
    uint32_t headerSize = ReadLe32(bytes);
    int width = ReadLeS32(bytes + 4);
    int height = ReadLeS32(bytes + 8) / 2;  // colour rows plus mask rows
    int bpp = ReadLe16(bytes + 14);
    if (width <= 0 || height <= 0 || width > 1024 || height > 1024)
        return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return false;
    uint32_t colors = bpp <= 8 ? (ReadLe32(bytes + 32) ? ReadLe32(bytes + 32) : 1u << bpp) : 0;
    if (colors > 256)
        return false;
    uint64_t colorStride = ((uint64_t(width) * bpp + 31) / 32) * 4;
    uint64_t maskStride = ((uint64_t(width) + 31) / 32) * 4;
    uint64_t colorOffset = headerSize + 4ull * colors;
    uint64_t maskOffset = colorOffset + colorStride * height;
    if (maskOffset > size)
        return false;
    bool hasMask = maskOffset + maskStride * height <= size;
    // Decode the colour rows through the packed-bitmap reader.
    std::vector<uint8_t> info(headerSize + 4 * colors);
    std::memcpy(info.data(), bytes, info.size());
    int32_t colourHeight = height;
    std::memcpy(info.data() + 8, &colourHeight, 4);
    uint32_t none = 0;
    std::memcpy(info.data() + 16, &none, 4);
    HBITMAP decoded =
        BitmapFromDib(reinterpret_cast<const BITMAPINFO*>(info.data()), bytes + colorOffset);
    if (!decoded)
        return false;
    PixelView view = BitmapPixels(decoded);
    icon.width = width;
    icon.height = height;
    icon.color.resize(size_t(width) * height);
    icon.mask.assign(size_t(width) * height, 0);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = view.Row(y)[x];
            icon.color[size_t(y) * width + x] = p;
            if (bpp == 32 && (p >> 24))
                anyAlpha = true;
            if (hasMask) {
                const uint8_t* row = bytes + maskOffset + maskStride * (height - 1 - y);
                icon.mask[size_t(y) * width + x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
            }
        }
    }
    DeleteObject(decoded);
    icon.hasAlpha = anyAlpha;
    return true;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

HICON CreateIconFromResourceEx(const uint8_t* bytes, uint32_t size, bool, uint32_t version, int,
                               int, uint32_t) {
    if (!bytes || size < 8 || (version != 0x30000 && version != 0x20000))
        return nullptr;
    auto icon = std::make_unique<Icon>();
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    bool ok = std::memcmp(bytes, kPng, 8) == 0 ? DecodePngImage(bytes, size, *icon)
                                               : DecodeDibImage(bytes, size, *icon);
    if (!ok)
        return nullptr;
    return Register(std::move(icon));
}

HICON CreateIconFromBitmaps(HBITMAP colorHandle, HBITMAP maskHandle) {
    auto* color = As<Bitmap>(colorHandle, Kind::Bitmap);
    auto* mask = As<Bitmap>(maskHandle, Kind::Bitmap);
    if (!color || (mask && (mask->width != color->width || mask->height < color->height))) {
        return nullptr;
    }
    auto icon = std::make_unique<Icon>();
    icon->width = color->width;
    icon->height = color->height;
    for (int y = 0; y < color->height; ++y) {
        for (int x = 0; x < color->width; ++x) {
            icon->color.push_back(color->Row(y)[x] & 0xFFFFFF);
            icon->mask.push_back(mask && (mask->Row(y)[x] & 0xFFFFFF) ? 1 : 0);
        }
    }
    return Register(std::move(icon));
}

bool DestroyIcon(HICON icon) {
    return Destroy(icon, Kind::Icon);
}

bool GetIconSize(HICON handle, SIZE* size) {
    auto* icon = As<Icon>(handle, Kind::Icon);
    if (!icon || !size)
        return false;
    *size = SIZE{icon->width, icon->height};
    return true;
}

bool DrawIconEx(HDC handle, int x, int y, HICON iconHandle, int width, int height, unsigned, HBRUSH,
                uint32_t flags) {
    auto* dc = As<Dc>(handle, Kind::Dc);
    auto* icon = As<Icon>(iconHandle, Kind::Icon);
    DrawingScope scope(dc);
    Bitmap* surface = dc ? dc->Surface() : nullptr;
    if (!surface || !icon)
        return false;
    if (width <= 0)
        width = icon->width;
    if (height <= 0)
        height = icon->height;
    POINT origin = dc->ToDevice(x, y);
    RECT area = IntersectRects(RECT{origin.x, origin.y, origin.x + width, origin.y + height},
                               dc->ClipBox());
    for (int dy = area.top; dy < area.bottom; ++dy) {
        int sy = int(int64_t(dy - origin.y) * icon->height / height);
        uint32_t* row = surface->Row(dy);
        for (int dx = area.left; dx < area.right; ++dx) {
            int sx = int(int64_t(dx - origin.x) * icon->width / width);
            size_t i = size_t(sy) * icon->width + sx;
            uint32_t src = icon->color[i];
            uint32_t& dst = row[dx];
            if (icon->hasAlpha && (flags & DI_NORMAL) == DI_NORMAL) {
                uint32_t a = src >> 24, out = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
                    out |= ((s * a + d * (255 - a) + 127) / 255) << shift;
                }
                dst = (dst & 0xFF000000) | out;
                continue;
            }
            uint32_t value = dst & 0xFFFFFF;
            if (flags & DI_MASK)
                value = icon->mask[i] ? value : 0;
            if (flags & DI_IMAGE)
                value = (flags & DI_MASK) ? value ^ (src & 0xFFFFFF) : (src & 0xFFFFFF);
            if (surface->monochrome)
                value = ToMonochrome(ToColorRef(value));
            dst = (dst & 0xFF000000) | value;
        }
    }
    return true;
}

bool DrawIcon(HDC dc, int x, int y, HICON icon) {
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

}  // namespace platform
