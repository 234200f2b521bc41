// Block transfers on known bitmaps: each raster operation checked against
// the boolean formula it names, evaluated here bit by bit; colour and
// monochrome conversions; the three-step transparent draw; overlap.
#include <gtest/gtest.h>

#include <functional>

#include "tests/graphics/surface_probe.h"

using namespace platform;
using probe::Canvas;

namespace {

constexpr uint32_t kSource = 0x3C5AF0;
constexpr uint32_t kDest = 0x96A50F;
constexpr COLORREF kBrush = RGB(0x11, 0xEE, 0x77);  // pixel 0x11EE77

uint32_t Blit(uint32_t rop) {
    Canvas src(4, 4, kSource), dst(4, 4, kDest);
    HBRUSH brush = CreateSolidBrush(kBrush);
    HGDIOBJ old = SelectObject(dst.dc, brush);
    EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, rop));
    SelectObject(dst.dc, old);
    DeleteObject(brush);
    return dst.Rgb(2, 2);
}

}  // namespace

TEST(RasterOps, EachOperationMatchesItsFormula) {
    const uint32_t S = kSource, D = kDest, P = 0x11EE77, M = 0xFFFFFF;
    struct Case {
        uint32_t rop;
        const char* name;
        uint32_t expected;
    } cases[] = {
        {SRCCOPY, "SRCCOPY", S},
        {SRCINVERT, "SRCINVERT", S ^ D},
        {SRCAND, "SRCAND", S & D},
        {SRCPAINT, "SRCPAINT", S | D},
        {NOTSRCCOPY, "NOTSRCCOPY", ~S & M},
        {SRCERASE, "SRCERASE", S & ~D & M},
        {MERGEPAINT, "MERGEPAINT", (~S | D) & M},
        {NOTSRCERASE, "NOTSRCERASE", ~(S | D) & M},
        {MERGECOPY, "MERGECOPY", P & S},
        {PATCOPY, "PATCOPY", P},
        {PATINVERT, "PATINVERT", P ^ D},
        {PATPAINT, "PATPAINT", (P | ~S | D) & M},
        {DSTINVERT, "DSTINVERT", ~D & M},
        {BLACKNESS, "BLACKNESS", 0},
        {WHITENESS, "WHITENESS", M},
        // Less common ones go through the general truth-table evaluation:
        // 0xB8 is ((D ^ P) & S) ^ P, 0xE2 is ((P ^ D) & S) ^ D.
        {0x00B8074A, "PSDPxax", (((D ^ P) & S) ^ P) & M},
        {0x00E20746, "DSPDxax", (((P ^ D) & S) ^ D) & M},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Blit(c.rop), c.expected) << c.name;
}

TEST(RasterOps, MonochromeSourceTakesTextAndBackgroundColours) {
    // 1-bit rows padded to 16 bits: 0b1010'0000 -> white, black, white, black.
    uint8_t rows[2] = {0xA0, 0x00};
    HBITMAP mono = CreateBitmap(4, 1, 1, 1, rows);
    HDC monoDc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(monoDc, mono);
    Canvas dst(4, 1, 0);
    SetTextColor(dst.dc, RGB(255, 0, 0));  // for 0 bits
    SetBkColor(dst.dc, RGB(0, 0, 255));    // for 1 bits
    BitBlt(dst.dc, 0, 0, 4, 1, monoDc, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Rgb(0, 0), 0x0000FFu);
    EXPECT_EQ(dst.Rgb(1, 0), 0xFF0000u);
    EXPECT_EQ(dst.Rgb(2, 0), 0x0000FFu);
    EXPECT_EQ(dst.Rgb(3, 0), 0xFF0000u);
    SelectObject(monoDc, old);
    DeleteDC(monoDc);
    DeleteObject(mono);
}

TEST(RasterOps, ColourToMonochromeMarksTheSourceBackgroundColourWhite) {
    Canvas src(3, 1, 0);
    src.Set(0, 0, 0xFF00FF);  // the key colour
    src.Set(1, 0, 0xFE00FF);  // near but not equal
    src.Set(2, 0, 0xFFFFFF);
    SetBkColor(src.dc, RGB(255, 0, 255));
    HBITMAP mask = CreateBitmap(3, 1, 1, 1, nullptr);
    HDC maskDc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(maskDc, mask);
    BitBlt(maskDc, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
    PixelView view = BitmapPixels(mask);
    EXPECT_EQ(view.Row(0)[0] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(view.Row(0)[1] & 0xFFFFFF, 0u);
    EXPECT_EQ(view.Row(0)[2] & 0xFFFFFF, 0u);
    SelectObject(maskDc, old);
    DeleteDC(maskDc);
    DeleteObject(mask);
}

TEST(RasterOps, InvertAndInvertAgainWithAMaskLeavesMaskedPixelsUndrawn) {
    // Picture: two pixels; mask: first see-through (white), second drawn.
    Canvas picture(2, 1, 0);
    picture.Set(0, 0, 0x804020);
    picture.Set(1, 0, 0x10C0F0);
    uint8_t rows[2] = {0x80, 0x00};
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, rows);
    HDC maskDc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(maskDc, mask);
    Canvas dst(2, 1, 0x55AA33);
    SetTextColor(dst.dc, RGB(0, 0, 0));
    SetBkColor(dst.dc, RGB(255, 255, 255));
    BitBlt(dst.dc, 0, 0, 2, 1, picture.dc, 0, 0, 0x660046);
    BitBlt(dst.dc, 0, 0, 2, 1, maskDc, 0, 0, 0x8800C6);
    BitBlt(dst.dc, 0, 0, 2, 1, picture.dc, 0, 0, 0x660046);
    EXPECT_EQ(dst.Rgb(0, 0), 0x55AA33u);
    EXPECT_EQ(dst.Rgb(1, 0), 0x10C0F0u);
    SelectObject(maskDc, old);
    DeleteDC(maskDc);
    DeleteObject(mask);
}

TEST(RasterOps, OverlappingCopyOnOneSurfaceReadsBeforeWriting) {
    Canvas c(5, 1);
    for (int x = 0; x < 5; ++x)
        c.Set(x, 0, uint32_t(x + 1));
    BitBlt(c.dc, 1, 0, 4, 1, c.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(c.Rgb(0, 0), 1u);
    EXPECT_EQ(c.Rgb(1, 0), 1u);
    EXPECT_EQ(c.Rgb(2, 0), 2u);
    EXPECT_EQ(c.Rgb(4, 0), 4u);
}

TEST(RasterOps, TransfersAreClippedToBothSurfaces) {
    Canvas src(4, 4, 0x111111), dst(6, 6, 0xEEEEEE);
    // Starts outside the destination and reads beyond the source.
    EXPECT_TRUE(BitBlt(dst.dc, -2, 3, 10, 10, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Rgb(0, 3), 0x111111u);  // source column 2
    EXPECT_EQ(dst.Rgb(1, 5), 0x111111u);  // source column 3
    EXPECT_EQ(dst.Rgb(2, 5), 0xEEEEEEu);  // beyond the source's width
    EXPECT_EQ(dst.Rgb(0, 2), 0xEEEEEEu);
    // A clip rectangle limits drawing further.
    IntersectClipRect(dst.dc, 4, 0, 5, 6);
    PatBlt(dst.dc, 0, 0, 6, 6, BLACKNESS);
    EXPECT_EQ(dst.Rgb(4, 0), 0u);
    EXPECT_EQ(dst.Rgb(3, 0), 0xEEEEEEu);
    EXPECT_EQ(dst.Rgb(5, 0), 0xEEEEEEu);
}

TEST(RasterOps, StaleAndForeignHandlesFailWithoutDrawing) {
    Canvas dst(2, 2, 0x123456);
    HDC gone = CreateCompatibleDC(nullptr);
    DeleteDC(gone);
    EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 2, gone, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(gone, 0, 0, 2, 2, dst.dc, 0, 0, SRCCOPY));
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 2, brush, 0, 0, SRCCOPY));
    DeleteObject(brush);
    EXPECT_EQ(FillRect(dst.dc, nullptr, brush), 0);
    EXPECT_EQ(dst.Rgb(1, 1), 0x123456u);
    // A bitmap selected into a context cannot be deleted under it.
    EXPECT_FALSE(DeleteObject(dst.bitmap));
}
