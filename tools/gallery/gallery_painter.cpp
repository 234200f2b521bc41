#include "tools/gallery/gallery_painter.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/base/text_codec.h"
#include "platform/graphics/gdi_text.h"

namespace gallery {
namespace {

using namespace platform;

TRIVERTEX Vertex(int x, int y, COLORREF color, uint8_t alpha = 0xFF) {
    return GradientVertex(x, y, color, alpha);
}

void Caption(HDC dc, int x, int y, const char* text) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(40, 40, 40));
    TextOutUtf8(dc, x, y, text);
}

HFONT Font(int height, int weight, bool italic, bool underline, bool strike, const char* face) {
    return CreateFont(height, 0, 0, 0, weight, italic, underline, strike, 0, 0, 0, 0, 0, face);
}

void Gradients(HDC dc) {
    Caption(dc, 20, 56, "Gradients");
    TRIVERTEX h[2] = {Vertex(20, 76, RGB(220, 30, 30)), Vertex(180, 136, RGB(30, 60, 220))};
    GRADIENT_RECT rect{0, 1};
    GradientFill(dc, h, 2, &rect, 1, GRADIENT_FILL_RECT_H);
    // Four corner colours through two triangles, as skinned faces are filled.
    TRIVERTEX corners[4] = {
        Vertex(200, 76, RGB(255, 255, 255)), Vertex(360, 76, RGB(255, 230, 160)),
        Vertex(200, 136, RGB(120, 200, 255)), Vertex(360, 136, RGB(20, 90, 160))};
    GRADIENT_TRIANGLE triangles[2] = {{0, 1, 2}, {3, 1, 2}};
    GradientFill(dc, corners, 4, triangles, 2, GRADIENT_FILL_TRIANGLE);
    TRIVERTEX v[2] = {Vertex(380, 76, RGB(250, 250, 250)), Vertex(540, 136, RGB(80, 150, 60))};
    GradientFill(dc, v, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

void MaskedTransfer(HDC dc) {
    Caption(dc, 20, 150, "Transfer with a mask");
    // Stripes to show the background through the see-through part.
    for (int i = 0; i < 8; ++i) {
        HBRUSH stripe = CreateSolidBrush(i % 2 ? RGB(200, 200, 230) : RGB(150, 150, 200));
        RECT r{20 + i * 20, 170, 40 + i * 20, 250};
        FillRect(dc, &r, stripe);
        DeleteObject(stripe);
    }
    HDC sprite = CreateCompatibleDC(dc);
    HBITMAP spriteBitmap = CreateCompatibleBitmap(dc, 64, 64);
    HGDIOBJ oldSprite = SelectObject(sprite, spriteBitmap);
    HBRUSH key = CreateSolidBrush(RGB(255, 0, 255));
    RECT all{0, 0, 64, 64};
    FillRect(sprite, &all, key);
    HBRUSH ball = CreateSolidBrush(RGB(240, 160, 20));
    SelectObject(sprite, ball);
    SelectObject(sprite, GetStockObject(BLACK_PEN));
    Ellipse(sprite, 4, 4, 60, 60);
    // The mask: white where the key colour is.
    HDC maskDc = CreateCompatibleDC(dc);
    HBITMAP mask = CreateBitmap(64, 64, 1, 1, nullptr);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    SetBkColor(sprite, RGB(255, 0, 255));
    BitBlt(maskDc, 0, 0, 64, 64, sprite, 0, 0, SRCCOPY);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, 60, 178, 64, 64, sprite, 0, 0, SRCINVERT);
    BitBlt(dc, 60, 178, 64, 64, maskDc, 0, 0, SRCAND);
    BitBlt(dc, 60, 178, 64, 64, sprite, 0, 0, SRCINVERT);
    SelectObject(maskDc, oldMask);
    SelectObject(sprite, oldSprite);
    DeleteDC(maskDc);
    DeleteDC(sprite);
    DeleteObject(mask);
    DeleteObject(spriteBitmap);
    DeleteObject(key);
    DeleteObject(ball);
}

void StretchedBitmaps(HDC dc) {
    Caption(dc, 200, 150, "Stretched: nearest / halftone");
    std::vector<uint32_t> pixels(16 * 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            bool check = ((x / 2) + (y / 2)) % 2;
            pixels[y * 16 + x] = check ? 0x2050C0 : uint32_t((x * 16) << 16 | (y * 16) << 8 | 0x40);
        }
    }
    HBITMAP small = CreateBitmap(16, 16, 1, 32, pixels.data());
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, small);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 200, 170, 80, 80, source, 0, 0, 16, 16, SRCCOPY);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 290, 170, 80, 80, source, 0, 0, 16, 16, SRCCOPY);
    StretchBlt(dc, 380, 170, 40, 40, source, 0, 0, 16, 16, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(small);
}

void Texts(HDC dc) {
    Caption(dc, 20, 266, "Text");
    struct Sample {
        int height, weight;
        bool italic, underline, strike;
        const char* face;
        const char* text;
    } samples[] = {
        {-12, FW_NORMAL, false, false, false, "DejaVu Sans",
         "DejaVu Sans 12 px: the quick brown fox"},
        {-18, FW_BOLD, false, false, false, "DejaVu Sans", "Bold 18 px"},
        {-16, FW_NORMAL, true, false, false, "DejaVu Serif", "Serif italic 16 px"},
        {-14, FW_NORMAL, false, true, false, "DejaVu Sans Mono", "Monospaced, underlined"},
        {-14, FW_NORMAL, false, false, true, "DejaVu Sans", "Struck out"},
    };
    int y = 286;
    for (const Sample& s : samples) {
        HFONT font = Font(s.height, s.weight, s.italic, s.underline, s.strike, s.face);
        HGDIOBJ old = SelectObject(dc, font);
        SetTextColor(dc, RGB(10, 10, 60));
        TextOutUtf8(dc, 20, y, s.text);
        SIZE extent;
        GetTextExtentUtf8(dc, s.text, &extent);
        y += extent.cy + 4;
        SelectObject(dc, old);
        DeleteObject(font);
    }
    // A runtime text (GB18030) converted at the drawing boundary, drawn
    // opaque on a coloured background.
    std::string runtime = Utf8ToRuntime("Grüße, café — opaque background");
    HFONT font = Font(-14, FW_NORMAL, false, false, false, "");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 240, 150));
    SetTextColor(dc, RGB(120, 0, 0));
    TextOut(dc, 20, y, runtime.c_str(), int(runtime.size()));
    SIZE extent;
    GetTextExtentPoint32(dc, runtime.c_str(), int(runtime.size()), &extent);
    // The focus rectangle around the text, one pixel outside it.
    RECT focus{18, y - 2, 22 + extent.cx, y + extent.cy + 2};
    DrawFocusRect(dc, &focus);
    SetBkMode(dc, TRANSPARENT);
    RECT box{20, y + extent.cy + 10, 340, y + extent.cy + 60};
    FrameRect(dc, &box, reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextUtf8(dc, "&Centred caption with an underlined C,\r\nlaid out on two lines", &box,
                 DT_CENTER);
    SelectObject(dc, old);
    DeleteObject(font);
}

void MonochromeAndPaletteBitmaps(HDC dc) {
    Caption(dc, 440, 150, "1-bit and 8-bit bitmaps");
    // A 1-bit arrow, rows padded to 16 bits; black takes the text colour,
    // white the background colour.
    uint8_t rows[16 * 2];
    for (int y = 0; y < 16; ++y) {
        int half = y < 8 ? y : 15 - y;
        uint16_t bits = 0xFFFF;
        for (int x = 0; x <= half; ++x)
            bits &= uint16_t(~(0x8000 >> (x + 4)));
        rows[2 * y] = uint8_t(bits >> 8);
        rows[2 * y + 1] = uint8_t(bits);
    }
    HBITMAP arrow = CreateBitmap(16, 16, 1, 1, rows);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, arrow);
    SetTextColor(dc, RGB(0, 120, 0));
    SetBkColor(dc, RGB(230, 255, 230));
    StretchBlt(dc, 440, 170, 64, 64, source, 0, 0, 16, 16, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(arrow);

    // An 8-bit packed bitmap with a 256-entry colour table, bottom row first.
    std::vector<uint8_t> info(40 + 256 * 4);
    BITMAPINFOHEADER header;
    header.biWidth = 64;
    header.biHeight = 64;
    header.biBitCount = 8;
    std::memcpy(info.data(), &header, sizeof header);
    for (int i = 0; i < 256; ++i) {
        uint8_t* q = info.data() + 40 + 4 * i;
        q[0] = uint8_t(255 - i);
        q[1] = uint8_t(i < 128 ? i * 2 : (255 - i) * 2);
        q[2] = uint8_t(i);
    }
    std::vector<uint8_t> bits(64 * 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            bits[y * 64 + x] = uint8_t((x + y) * 2);
    }
    HBITMAP palette =
        CreateDIBitmap(dc, reinterpret_cast<BITMAPINFOHEADER*>(info.data()), CBM_INIT, bits.data(),
                       reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    source = CreateCompatibleDC(dc);
    old = SelectObject(source, palette);
    BitBlt(dc, 520, 170, 64, 64, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(palette);
}

void IconAndShapes(HDC dc) {
    Caption(dc, 600, 150, "Icon, shapes");
    // A 32 by 32 icon image: 32-bit colour rows without alpha, then the
    // 1-bit mask (set bits let the background through).
    const int size = 32;
    std::vector<uint8_t> image(40 + size * size * 4 + size * 4);
    BITMAPINFOHEADER header;
    header.biWidth = size;
    header.biHeight = size * 2;
    header.biBitCount = 32;
    std::memcpy(image.data(), &header, sizeof header);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int dx = x - 16, dy = y - 16;
            bool inside = dx * dx + dy * dy < 14 * 14;
            bool star = std::abs(dx) + std::abs(dy) < 8;
            uint8_t* p = image.data() + 40 + (y * size + x) * 4;
            p[0] = star ? 0 : 200;
            p[1] = star ? 220 : 60;
            p[2] = star ? 255 : 40;
            p[3] = 0;
            if (!inside)
                p[0] = p[1] = p[2] = 0;
            uint8_t* maskRow = image.data() + 40 + size * size * 4 + y * 4;
            if (!inside)
                maskRow[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    HICON icon = CreateIconFromResourceEx(image.data(), uint32_t(image.size()), true, 0x30000, size,
                                          size, 0);
    HBRUSH back = CreateSolidBrush(RGB(180, 220, 180));
    RECT area{600, 170, 680, 250};
    FillRect(dc, &area, back);
    DrawIconEx(dc, 608, 178, icon, 0, 0, 0, nullptr, DI_NORMAL);
    DrawIconEx(dc, 640, 210, icon, 48, 48, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    DeleteObject(back);

    HPEN pen = CreatePen(PS_SOLID, 2, RGB(150, 0, 100));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HBRUSH fill = CreateSolidBrush(RGB(250, 220, 240));
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    Rectangle(dc, 600, 270, 680, 320);
    Ellipse(dc, 690, 270, 780, 320);
    MoveToEx(dc, 600, 340, nullptr);
    for (int i = 1; i <= 9; ++i)
        LineTo(dc, 600 + i * 20, i % 2 ? 380 : 340);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(fill);

    // A gradient clipped to a circle, the way round controls are filled.
    Caption(dc, 600, 396, "Gradient in a circular region");
    HRGN circle = CreateEllipticRgn(600, 416, 660, 476);
    SaveDC(dc);
    SelectClipRgn(dc, circle);
    TRIVERTEX ball[2] = {Vertex(600, 416, RGB(255, 255, 255)), Vertex(660, 476, RGB(40, 140, 60))};
    GRADIENT_RECT rect{0, 1};
    GradientFill(dc, ball, 2, &rect, 1, GRADIENT_FILL_RECT_V);
    RestoreDC(dc, -1);
    DeleteObject(circle);
}

}  // namespace

void PaintGallery(HDC dc, int width, int height) {
    RECT all{0, 0, width, height};
    FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TRIVERTEX band[2] = {Vertex(0, 0, RGB(40, 70, 130)), Vertex(width, 44, RGB(90, 140, 200))};
    GRADIENT_RECT rect{0, 1};
    GradientFill(dc, band, 2, &rect, 1, GRADIENT_FILL_RECT_V);
    HFONT title = Font(-22, FW_BOLD, false, false, false, "DejaVu Sans");
    HGDIOBJ old = SelectObject(dc, title);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutUtf8(dc, 16, 10, "picbatch drawing gallery");
    SelectObject(dc, old);
    DeleteObject(title);
    Gradients(dc);
    MaskedTransfer(dc);
    StretchedBitmaps(dc);
    Texts(dc);
    MonochromeAndPaletteBitmaps(dc);
    IconAndShapes(dc);
}

}  // namespace gallery
