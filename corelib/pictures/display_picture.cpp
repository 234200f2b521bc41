#include "corelib/pictures/display_picture.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/base/byte_order.h"

namespace corelib {

using namespace platform;

namespace {

// Bytes a record of its kind must hold for its size, so a record that does
// not match its own header is refused instead of read past its end.
uint64_t RequiredBytes(const PictureRecord& r) {
    const uint64_t w = uint64_t(r.width), h = uint64_t(r.height);
    switch (r.kind) {
        case PICTURE_JPEG:
        case PICTURE_BMP:
            return w * h * 3;
        case PICTURE_PNG:
            return w * h * 4;
        case PICTURE_PCX1:
            return ((w + 15) / 16 * 2) * h;
        case PICTURE_PCX8:
            return ((w + 3) & ~uint64_t(3)) * h + kPackedBitmapPixelOffset;
        case PICTURE_GIF:
            return kPackedBitmapPixelOffset;
        default:
            return 0;
    }
}

// A packed 8-bit bitmap block: header at its start, rows at byte 1064.
HBITMAP FromPackedBitmap(HDC dc, const PictureRecord& r) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(r.pixels);
    const int64_t width = ReadLeS32(r.pixels + 4);
    const int64_t height = std::abs(int64_t(ReadLeS32(r.pixels + 8)));
    const uint64_t rows = ((uint64_t(width) + 3) & ~uint64_t(3)) * uint64_t(height);
    if (ReadLe32(r.pixels) != 40 || ReadLe16(r.pixels + 14) != 8 || width <= 0 ||
        kPackedBitmapPixelOffset + rows > r.size) {
        return nullptr;
    }
    return CreateDIBitmap(dc, &info->bmiHeader, CBM_INIT, r.pixels + kPackedBitmapPixelOffset, info,
                          DIB_RGB_COLORS);
}

// GIF: the first image on a bitmap of the logical screen's size, over the
// background colour.
HBITMAP FromGif(HDC dc, const PictureRecord& r, COLORREF background) {
    HBITMAP image = FromPackedBitmap(dc, r);
    if (!image)
        return nullptr;
    BITMAP size;
    GetObject(image, sizeof size, &size);
    // A colour bitmap whatever the context holds (a memory context's own
    // bitmap may be monochrome).
    HBITMAP screen = CreateBitmap(r.width, r.height, 1, 32, nullptr);
    if (screen) {
        HDC from = CreateCompatibleDC(dc);
        HDC to = CreateCompatibleDC(dc);
        HGDIOBJ oldFrom = SelectObject(from, image);
        HGDIOBJ oldTo = SelectObject(to, screen);
        HBRUSH brush = CreateSolidBrush(background);
        RECT all{0, 0, r.width, r.height};
        FillRect(to, &all, brush);
        DeleteObject(brush);
        BitBlt(to, 0, 0, size.bmWidth, size.bmHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
    }
    DeleteObject(image);
    return screen;
}

// PNG: pixels that are not fully opaque take their share of the background:
// channel * a/255 + background * (1 - a/255), the fraction dropped.
HBITMAP FromPng(HDC dc, const PictureRecord& r, COLORREF background) {
    const size_t count = size_t(r.width) * size_t(r.height);
    std::vector<uint8_t> pixels(r.pixels, r.pixels + count * 4);
    const uint32_t behind[3] = {GetBValue(background), GetGValue(background),
                                GetRValue(background)};
    for (size_t i = 0; i < count; ++i) {
        uint8_t* p = &pixels[4 * i];
        const uint32_t alpha = p[3];
        if (alpha == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            p[c] = uint8_t((p[c] * alpha + behind[c] * (255 - alpha)) / 255);
        p[3] = 255;
    }
    BITMAPINFO info{};
    info.bmiHeader.biWidth = r.width;
    info.bmiHeader.biHeight = -r.height;
    info.bmiHeader.biBitCount = 32;
    return CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, pixels.data(), &info, DIB_RGB_COLORS);
}

// JPEG and BMP: packed B,G,R rows, bottom row first, padded to 4 bytes for
// the device bitmap.
HBITMAP FromRgbRows(HDC dc, const PictureRecord& r) {
    const size_t packedRow = size_t(r.width) * 3;
    const size_t paddedRow = (size_t(r.width) * 24 + 31) / 32 * 4;
    const uint8_t* rows = r.pixels;
    std::vector<uint8_t> padded;
    if (paddedRow != packedRow) {
        padded.assign(paddedRow * size_t(r.height), 0);
        for (int32_t y = 0; y < r.height; ++y)
            std::memcpy(&padded[y * paddedRow], r.pixels + y * packedRow, packedRow);
        rows = padded.data();
    }
    BITMAPINFO info{};
    info.bmiHeader.biWidth = r.width;
    info.bmiHeader.biHeight = r.height;
    info.bmiHeader.biBitCount = 24;
    return CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, rows, &info, DIB_RGB_COLORS);
}

}  // namespace

bool MakeDisplayPicture(const PictureTarget& target, const PictureRecord* record,
                        DisplayPicture* display, COLORREF background) {
    if (!record || record->kind == PICTURE_NONE || !target.dc || !display)
        return false;
    *display =
        DisplayPicture{target.dc, record->kind, record->width, record->height, nullptr, nullptr};
    if (record->kind == PICTURE_ICO || record->kind == PICTURE_CUR) {
        display->icon = record->icon;
        return display->icon != nullptr;
    }
    if (!record->pixels || record->width <= 0 || record->height <= 0 ||
        RequiredBytes(*record) > record->size) {
        return false;
    }
    switch (record->kind) {
        case PICTURE_GIF:
            display->bitmap = FromGif(target.dc, *record, background);
            break;
        case PICTURE_PCX1:
            display->bitmap = CreateBitmap(record->width, record->height, 1, 1, record->pixels);
            break;
        case PICTURE_PCX8:
            display->bitmap = FromPackedBitmap(target.dc, *record);
            break;
        case PICTURE_PNG:
            display->bitmap = FromPng(target.dc, *record, background);
            break;
        case PICTURE_JPEG:
        case PICTURE_BMP:
            display->bitmap = FromRgbRows(target.dc, *record);
            break;
        default:
            break;
    }
    return display->bitmap != nullptr;
}

void DeleteDisplayPicture(DisplayPicture* display) {
    if (!display)
        return;
    if (display->bitmap)
        DeleteObject(display->bitmap);
    display->bitmap = nullptr;
}

bool DrawPicture(const DisplayPicture& display, int x, int y, int width, int height, uint32_t rop,
                 HPALETTE palette) {
    HDC dc = display.dc;
    if (!dc)
        return false;
    if (palette) {
        SelectPalette(dc, palette, false);
        RealizePalette(dc);
    }
    const int w = width < 0 ? display.width : width;
    const int h = height < 0 ? display.height : height;
    if (display.kind == PICTURE_ICO || display.kind == PICTURE_CUR)
        return DrawIconEx(dc, x, y, display.icon, w, h, 0, nullptr, DI_NORMAL);
    if (!display.bitmap)
        return false;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, display.bitmap);
    bool ok;
    if (!(rop & kDrawTransparent)) {
        ok = StretchBlt(dc, x, y, w, h, memory, 0, 0, display.width, display.height, rop);
    } else {
        // A mask that is white where the picture has the see-through colour;
        // then target ^= picture, target &= mask, target ^= picture leaves
        // the target as it was under the mask's white and the picture
        // everywhere else.
        const COLORREF seeThrough = rop & 0x00FFFFFF;
        HBITMAP mask = CreateBitmap(display.width, display.height, 1, 1, nullptr);
        HDC maskDc = CreateCompatibleDC(dc);
        HGDIOBJ oldMask = SelectObject(maskDc, mask);
        SetBkColor(memory, seeThrough);
        BitBlt(maskDc, 0, 0, display.width, display.height, memory, 0, 0, SRCCOPY);
        const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
        const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        // Averaging neighbours would break the exclusive-or pairing.
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        ok = StretchBlt(dc, x, y, w, h, memory, 0, 0, display.width, display.height, SRCINVERT) &&
             StretchBlt(dc, x, y, w, h, maskDc, 0, 0, display.width, display.height, SRCAND) &&
             StretchBlt(dc, x, y, w, h, memory, 0, 0, display.width, display.height, SRCINVERT);
        SetStretchBltMode(dc, oldMode);
        SetBkColor(dc, oldBk);
        SetTextColor(dc, oldText);
        SelectObject(maskDc, oldMask);
        DeleteDC(maskDc);
        DeleteObject(mask);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    return ok;
}

}  // namespace corelib
