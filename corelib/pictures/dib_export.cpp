#include "corelib/pictures/dib_export.h"

#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/windowing/windows.h"

namespace corelib {

using namespace platform;
using kernel::MemoryHandle;

kernel::MemoryHandle BitmapToDib(HBITMAP bitmap, uint32_t compression, HPALETTE palette) {
    if (compression == BI_BITFIELDS)
        return 0;
    BITMAP shape;
    if (!GetObject(bitmap, sizeof shape, &shape) || shape.bmWidth <= 0 || shape.bmHeight <= 0)
        return 0;
    HDC dc = GetDC(nullptr);
    if (!dc)
        return 0;
    if (palette) {
        SelectPalette(dc, palette, false);
        RealizePalette(dc);
    }
    BITMAPINFOHEADER header;
    header.biWidth = shape.bmWidth;
    header.biHeight = shape.bmHeight;
    header.biBitCount = 24;
    header.biCompression = compression;
    BITMAPINFO query{header, {}};
    GetDIBits(dc, bitmap, 0, uint32_t(shape.bmHeight), nullptr, &query, DIB_RGB_COLORS);
    uint64_t size = query.bmiHeader.biSizeImage;
    if (size == 0) {
        size = ((uint64_t(shape.bmWidth) * 24 + 31) & ~uint64_t(31)) / 8 * uint64_t(shape.bmHeight);
        if (compression != BI_RGB)
            size = size * 3 / 2;
    }
    MemoryHandle block = kernel::GlobalAlloc(kernel::kMemMoveable, 40 + size);
    auto* bytes = block ? static_cast<uint8_t*>(kernel::GlobalLock(block)) : nullptr;
    bool ok = false;
    if (bytes) {
        std::memcpy(bytes, &header, sizeof header);
        ok = GetDIBits(dc, bitmap, 0, uint32_t(shape.bmHeight), bytes + 40,
                       reinterpret_cast<BITMAPINFO*>(bytes), DIB_RGB_COLORS) == shape.bmHeight;
        kernel::GlobalUnlock(block);
    }
    ReleaseDC(nullptr, dc);
    if (!ok) {
        if (block)
            kernel::GlobalFree(block);
        return 0;
    }
    return block;
}

int DibToBmpFile(MemoryHandle dib, ByteBuffer& out) {
    if (!dib)
        return 0;
    const size_t size = kernel::GlobalSize(dib);
    const auto* bitmap = static_cast<const uint8_t*>(kernel::GlobalLock(dib));
    if (!bitmap || size < 40 || size > uint32_t(INT32_MAX) - 14) {
        if (bitmap)
            kernel::GlobalUnlock(dib);
        return 0;
    }
    const uint32_t headerSize = ReadLe32(bitmap);
    const uint16_t bits = ReadLe16(bitmap + 14);
    const uint32_t colorsUsed = ReadLe32(bitmap + 32);
    uint32_t colors = bits <= 8 ? 1u << bits : 0;
    if (colorsUsed && colorsUsed < colors)
        colors = colorsUsed;
    uint8_t fileHeader[14] = {'B', 'M'};
    WriteLe32(fileHeader + 2, uint32_t(size + 14));
    WriteLe32(fileHeader + 10, headerSize + 14 + 4 * colors);
    const int ok = out.Append(fileHeader, sizeof fileHeader) && out.Append(bitmap, int32_t(size));
    kernel::GlobalUnlock(dib);
    return ok;
}

MemoryHandle BitmapToBmpBlock(HBITMAP bitmap) {
    MemoryHandle dib = BitmapToDib(bitmap, BI_RGB, nullptr);
    if (!dib)
        return 0;
    ByteBuffer file;
    const int written = DibToBmpFile(dib, file);
    kernel::GlobalFree(dib);
    if (!written)
        return 0;
    MemoryHandle block = kernel::GlobalAlloc(kernel::kMemMoveable, file.Length());
    void* bytes = block ? kernel::GlobalLock(block) : nullptr;
    if (!bytes) {
        if (block)
            kernel::GlobalFree(block);
        return 0;
    }
    std::memcpy(bytes, file.Data(), file.Length());
    kernel::GlobalUnlock(block);
    return block;
}

}  // namespace corelib
