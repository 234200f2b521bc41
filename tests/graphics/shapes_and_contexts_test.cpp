// Lines, rectangles and ellipses with pens and brushes; context state
// (saved levels, viewport origin, clipping); sections and monochrome
// surfaces.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/graphics/gdi_text.h"
#include "tests/graphics/surface_probe.h"

using namespace platform;
using probe::Canvas;

TEST(Shapes, LinesStopShortOfTheirEndAndRectanglesFrameWithThePen) {
    Canvas c(20, 20);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(c.dc, pen);
    MoveToEx(c.dc, 2, 5, nullptr);
    LineTo(c.dc, 10, 5);
    EXPECT_EQ(c.Rgb(2, 5), 0xFF0000u);
    EXPECT_EQ(c.Rgb(9, 5), 0xFF0000u);
    EXPECT_EQ(c.Rgb(10, 5), 0xFFFFFFu);  // the end point is not drawn
    LineTo(c.dc, 10, 12);                // continues from where the last one ended
    EXPECT_EQ(c.Rgb(10, 5), 0xFF0000u);
    EXPECT_EQ(c.Rgb(10, 11), 0xFF0000u);
    // A diagonal touches one pixel per column.
    MoveToEx(c.dc, 0, 19, nullptr);
    LineTo(c.dc, 5, 14);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(c.Rgb(i, 19 - i), 0xFF0000u) << i;

    Canvas r(10, 10);
    SelectObject(r.dc, pen);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ oldBrush = SelectObject(r.dc, brush);
    Rectangle(r.dc, 1, 1, 6, 6);
    EXPECT_EQ(r.Rgb(1, 1), 0xFF0000u);
    EXPECT_EQ(r.Rgb(5, 3), 0xFF0000u);  // right edge is the last pixel inside
    EXPECT_EQ(r.Rgb(6, 3), 0xFFFFFFu);
    EXPECT_EQ(r.Rgb(3, 3), 0x0000FFu);
    // A hollow brush leaves the inside alone.
    SelectObject(r.dc, GetStockObject(NULL_BRUSH));
    Rectangle(r.dc, 0, 0, 10, 10);
    EXPECT_EQ(r.Rgb(3, 3), 0x0000FFu);
    EXPECT_EQ(r.Rgb(0, 9), 0xFF0000u);
    SelectObject(r.dc, oldBrush);
    SelectObject(r.dc, oldPen);
    SelectObject(c.dc, oldPen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
    // Stock objects are never deleted.
    EXPECT_FALSE(DeleteObject(GetStockObject(BLACK_PEN)));
}

TEST(Shapes, EllipseIsSymmetricAndStaysInItsRectangle) {
    Canvas c(21, 13);
    SelectObject(c.dc, GetStockObject(BLACK_PEN));
    SelectObject(c.dc, GetStockObject(GRAY_BRUSH));
    Ellipse(c.dc, 1, 1, 20, 12);
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 21; ++x) {
            bool inside = x >= 1 && x < 20 && y >= 1 && y < 12;
            if (!inside) {
                EXPECT_EQ(c.Rgb(x, y), 0xFFFFFFu) << x << "," << y;
            }
            EXPECT_EQ(c.Rgb(x, y), c.Rgb(20 - x, y)) << x << "," << y;
            EXPECT_EQ(c.Rgb(x, y), c.Rgb(x, 12 - y)) << x << "," << y;
        }
    }
    EXPECT_EQ(c.Rgb(10, 6), 0x808080u);  // the middle is filled
    EXPECT_EQ(c.Rgb(10, 1), 0u);         // the top is outlined
    EXPECT_EQ(c.Rgb(1, 1), 0xFFFFFFu);   // corners are outside
}

TEST(Contexts, ViewportOriginClippingAndSavedLevels) {
    Canvas c(10, 10);
    HBRUSH black = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    int level = SaveDC(c.dc);
    SetViewportOrgEx(c.dc, 3, 4, nullptr);
    IntersectClipRect(c.dc, 0, 0, 2, 2);  // logical, so device (3,4)-(5,6)
    RECT all{-100, -100, 100, 100};
    FillRect(c.dc, &all, black);
    EXPECT_EQ(c.Rgb(3, 4), 0u);
    EXPECT_EQ(c.Rgb(4, 5), 0u);
    EXPECT_EQ(c.Rgb(5, 5), 0xFFFFFFu);
    EXPECT_EQ(c.Rgb(2, 4), 0xFFFFFFu);
    RECT box;
    EXPECT_EQ(GetClipBox(c.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 2);
    EXPECT_EQ(GetPixel(c.dc, 0, 0), 0u);
    EXPECT_EQ(GetPixel(c.dc, 5, 5), CLR_INVALID);  // outside the clip
    ASSERT_TRUE(RestoreDC(c.dc, level));
    FillRect(c.dc, &all, black);
    EXPECT_EQ(c.Rgb(9, 9), 0u);  // clip and origin are gone
    EXPECT_FALSE(RestoreDC(c.dc, level));
}

TEST(Contexts, SectionsWriteThroughAndMonochromeSurfacesSnapToBlackOrWhite) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2;  // bottom-up: the block starts with the last row
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, 0, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(bits, nullptr);
    static_cast<uint32_t*>(bits)[0] = 0x00112233;  // bottom-left in the file layout
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0x11, 0x22, 0x33));
    SetPixel(dc, 2, 0, RGB(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(static_cast<uint32_t*>(bits)[3 + 2] & 0xFFFFFF, 0xAABBCCu);
    BITMAP described;
    ASSERT_EQ(GetObject(section, sizeof described, &described), int(sizeof described));
    EXPECT_EQ(described.bmWidth, 3);
    EXPECT_EQ(described.bmBitsPixel, 32);
    EXPECT_EQ(described.bmBits, bits);
    SelectObject(dc, old);

    // A fresh memory context holds a 1 by 1 monochrome bitmap, so a bitmap
    // made compatible with it is monochrome too.
    HBITMAP mono = CreateCompatibleBitmap(dc, 4, 1);
    ASSERT_EQ(GetObject(mono, sizeof described, &described), int(sizeof described));
    EXPECT_EQ(described.bmBitsPixel, 1);
    SelectObject(dc, mono);
    SetPixel(dc, 0, 0, RGB(200, 200, 200));
    SetPixel(dc, 1, 0, RGB(90, 90, 90));
    EXPECT_EQ(GetPixel(dc, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(dc, 1, 0), 0u);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 1);
    SelectObject(dc, old);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    DeleteDC(dc);
    DeleteObject(mono);
    DeleteObject(section);
}

TEST(Contexts, UnderlineAndStrikeOutDrawLinesAcrossTheText) {
    Canvas plain(120, 30), lined(120, 30);
    HFONT a = CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "");
    HFONT b = CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 1, 1, 0, 0, 0, 0, 0, "");
    SelectObject(plain.dc, a);
    SelectObject(lined.dc, b);
    SetBkMode(plain.dc, TRANSPARENT);
    SetBkMode(lined.dc, TRANSPARENT);
    TextOutUtf8(plain.dc, 2, 2, "a b");
    TextOutUtf8(lined.dc, 2, 2, "a b");
    SIZE extent;
    GetTextExtentUtf8(lined.dc, "a b", &extent);
    // Between the letters only the lines are inked: two rows of ink where
    // the plain text has none.
    int x = 2 + extent.cx / 2;
    int plainInk = 0, linedInk = 0;
    for (int y = 0; y < 30; ++y) {
        plainInk += plain.Rgb(x, y) != 0xFFFFFFu;
        linedInk += lined.Rgb(x, y) != 0xFFFFFFu;
    }
    EXPECT_EQ(plainInk, 0);
    EXPECT_GE(linedInk, 2);
    SelectObject(plain.dc, GetStockObject(SYSTEM_FONT));
    SelectObject(lined.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(a);
    DeleteObject(b);
}

TEST(Contexts, EllipticRegionLimitsEveryKindOfDrawingToItsPixels) {
    // The reference: the pixels a filled ellipse covers.
    Canvas reference(30, 20);
    SelectObject(reference.dc, GetStockObject(NULL_PEN));
    SelectObject(reference.dc, GetStockObject(BLACK_BRUSH));
    Ellipse(reference.dc, 2, 3, 28, 17);

    HRGN circle = CreateEllipticRgn(2, 3, 28, 17);
    RECT box;
    EXPECT_EQ(GetRgnBox(circle, &box), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(circle, 15, 10));
    EXPECT_FALSE(PtInRegion(circle, 2, 3));

    Canvas filled(30, 20), gradient(30, 20), copied(30, 20);
    Canvas source(30, 20, 0);
    for (Canvas* c : {&filled, &gradient, &copied}) {
        EXPECT_EQ(SelectClipRgn(c->dc, circle), COMPLEXREGION);
    }
    DeleteObject(circle);  // the contexts keep their own copy
    RECT all{0, 0, 30, 20};
    FillRect(filled.dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    TRIVERTEX v[2];
    v[1].x = 30;
    v[1].y = 20;
    GRADIENT_RECT r{0, 1};
    GradientFill(gradient.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H);
    BitBlt(copied.dc, 0, 0, 30, 20, source.dc, 0, 0, SRCCOPY);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 30; ++x) {
            uint32_t want = reference.Rgb(x, y);
            ASSERT_EQ(filled.Rgb(x, y), want) << x << "," << y;
            ASSERT_EQ(gradient.Rgb(x, y), want) << x << "," << y;
            ASSERT_EQ(copied.Rgb(x, y), want) << x << "," << y;
        }
    }
    // A null region lifts the clipping again.
    SelectClipRgn(filled.dc, nullptr);
    FillRect(filled.dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(filled.Rgb(0, 0), 0u);
    // FillRgn paints just the region.
    Canvas painted(30, 20);
    HRGN again = CreateEllipticRgn(2, 3, 28, 17);
    ASSERT_TRUE(FillRgn(painted.dc, again, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    EXPECT_EQ(painted.Rgb(15, 10), 0u);
    EXPECT_EQ(painted.Rgb(2, 3), 0xFFFFFFu);
    EXPECT_EQ(GetObjectType(again), OBJ_REGION);
    DeleteObject(again);
}
