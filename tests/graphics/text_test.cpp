// Text through FreeType: the default face is DejaVu Sans, drawn ink stays
// inside the measured extent and fills most of it, background modes, the
// runtime-text conversion, and layout in a rectangle.
#include <gtest/gtest.h>

#include <string>

#include "platform/base/text_codec.h"
#include "platform/graphics/gdi_text.h"
#include "tests/graphics/surface_probe.h"

using namespace platform;
using probe::Canvas;

namespace {

struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool Any() const { return right >= 0; }
};

Ink FindInk(const Canvas& c, uint32_t background) {
    Ink ink;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            if (c.Rgb(x, y) == background)
                continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x + 1);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y + 1);
        }
    }
    return ink;
}

HFONT MakeFont(int height, int weight = FW_NORMAL, const char* face = "") {
    return CreateFont(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, face);
}

}  // namespace

TEST(Text, DefaultFaceIsDejaVuSans) {
    HFONT font = MakeFont(-12);
    std::string file(ResolvedFontFile(font));
    EXPECT_NE(file.find("DejaVuSans"), std::string::npos) << file;
    DeleteObject(font);
}

TEST(Text, DrawnTextFitsItsMeasuredExtent) {
    for (int height : {-11, -16, -24}) {
        Canvas c(400, 60);
        HFONT font = MakeFont(height);
        SelectObject(c.dc, font);
        SetBkMode(c.dc, TRANSPARENT);
        const char* text = "Halftone gradients, Wq";
        SIZE extent;
        ASSERT_TRUE(GetTextExtentUtf8(c.dc, text, &extent));
        TEXTMETRIC tm;
        ASSERT_TRUE(GetTextMetrics(c.dc, &tm));
        EXPECT_EQ(extent.cy, tm.tmHeight);
        EXPECT_GE(tm.tmHeight, -height);
        TextOutUtf8(c.dc, 10, 5, text);
        Ink ink = FindInk(c, 0xFFFFFF);
        ASSERT_TRUE(ink.Any());
        EXPECT_GE(ink.left, 10);
        EXPECT_LE(ink.right, 10 + extent.cx + 1) << height;
        EXPECT_GE(ink.top, 5);
        EXPECT_LE(ink.bottom, 5 + extent.cy);
        // The extent is not padded far beyond the ink either.
        EXPECT_GT(ink.right - ink.left, extent.cx * 9 / 10) << height;
        SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(font);
    }
}

TEST(Text, BoldIsWiderAndCellHeightsScaleTheFont) {
    Canvas c(10, 10);
    HFONT normal = MakeFont(-14), bold = MakeFont(-14, FW_BOLD), cell = MakeFont(30);
    SIZE a, b, tall;
    SelectObject(c.dc, normal);
    GetTextExtentUtf8(c.dc, "Measure me", &a);
    SelectObject(c.dc, bold);
    GetTextExtentUtf8(c.dc, "Measure me", &b);
    EXPECT_GT(b.cx, a.cx);
    // A positive height asks for the whole cell.
    SelectObject(c.dc, cell);
    GetTextExtentUtf8(c.dc, "M", &tall);
    EXPECT_NEAR(tall.cy, 30, 1);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    for (HFONT f : {normal, bold, cell})
        DeleteObject(f);
}

TEST(Text, OpaqueModeFillsExactlyTheExtentAndTransparentLeavesIt) {
    Canvas c(200, 40, 0x000000);
    HFONT font = MakeFont(-14);
    SelectObject(c.dc, font);
    SetTextColor(c.dc, RGB(255, 255, 255));
    SetBkColor(c.dc, RGB(0, 0, 200));
    SetBkMode(c.dc, OPAQUE);
    SIZE extent;
    GetTextExtentUtf8(c.dc, "ab", &extent);
    TextOutUtf8(c.dc, 5, 5, "ab");
    EXPECT_EQ(c.Rgb(5, 5), 0x0000C8u);
    EXPECT_EQ(c.Rgb(5 + extent.cx - 1, 5 + extent.cy - 1), 0x0000C8u);
    EXPECT_EQ(c.Rgb(5 + extent.cx, 5), 0u);
    EXPECT_EQ(c.Rgb(4, 5), 0u);
    Canvas t(200, 40, 0x000000);
    SelectObject(t.dc, font);
    SetBkMode(t.dc, TRANSPARENT);
    SetBkColor(t.dc, RGB(0, 0, 200));
    TextOutUtf8(t.dc, 5, 5, "ab");
    EXPECT_EQ(t.Rgb(5, 5), 0u);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    SelectObject(t.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(Text, RuntimeTextsAreConvertedBeforeDrawing) {
    Canvas c(300, 40);
    HFONT font = MakeFont(-14);
    SelectObject(c.dc, font);
    std::string utf8 = "Grüße café";
    std::string runtime = Utf8ToRuntime(utf8);
    ASSERT_NE(runtime, utf8);  // the accented letters differ in the two encodings
    SIZE fromRuntime, fromUtf8, mangled;
    GetTextExtentPoint32(c.dc, runtime.c_str(), int(runtime.size()), &fromRuntime);
    GetTextExtentUtf8(c.dc, utf8, &fromUtf8);
    GetTextExtentUtf8(c.dc, runtime, &mangled);
    EXPECT_EQ(fromRuntime.cx, fromUtf8.cx);
    EXPECT_NE(mangled.cx, fromUtf8.cx);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(Text, LayoutBreaksLinesTakesPrefixesOutAndAligns) {
    Canvas c(300, 100);
    HFONT font = MakeFont(-13);
    SelectObject(c.dc, font);
    TEXTMETRIC tm;
    GetTextMetrics(c.dc, &tm);
    RECT measure{0, 0, 300, 100};
    int height = DrawTextUtf8(c.dc, "&Open\r\nSave &As", &measure, DT_CALCRECT);
    EXPECT_EQ(height, 2 * tm.tmHeight);
    EXPECT_EQ(measure.bottom, 2 * tm.tmHeight);
    SIZE plain;
    GetTextExtentUtf8(c.dc, "Save As", &plain);
    EXPECT_EQ(measure.right, plain.cx);
    // "&&" is one ampersand.
    RECT amp{0, 0, 300, 100};
    DrawTextUtf8(c.dc, "A&&B", &amp, DT_CALCRECT | DT_SINGLELINE);
    SIZE literal;
    GetTextExtentUtf8(c.dc, "A&B", &literal);
    EXPECT_EQ(amp.right, literal.cx);
    // Right alignment puts the ink against the right edge; the rectangle
    // clips what falls outside it.
    RECT box{0, 0, 200, 40};
    SetBkMode(c.dc, TRANSPARENT);
    DrawTextUtf8(c.dc, "right", &box, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    Ink ink = FindInk(c, 0xFFFFFF);
    ASSERT_TRUE(ink.Any());
    EXPECT_LE(ink.right, 200);
    EXPECT_GE(ink.right, 195);
    EXPECT_GT(ink.top, (40 - tm.tmHeight) / 2 - 1);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}
