// Gradient fills checked against values computed here from the vertex
// colours: linear ramps along one axis for rectangles, barycentric
// interpolation for triangles, 16-bit channels cut to their high byte.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/graphics/surface_probe.h"

using namespace platform;
using probe::Canvas;

namespace {

TRIVERTEX V(int x, int y, uint16_t r, uint16_t g, uint16_t b, uint16_t a = 0) {
    TRIVERTEX v;
    v.x = x;
    v.y = y;
    v.Red = r;
    v.Green = g;
    v.Blue = b;
    v.Alpha = a;
    return v;
}

// Channel at `t` of the way from a to b, as an 8-bit value.
int Ramp(double a, double b, double t) {
    return int(std::floor(a + (b - a) * t)) >> 8;
}

}  // namespace

TEST(GradientFill, HorizontalRectangleRampsFromLeftToRightColour) {
    Canvas c(256, 4);
    TRIVERTEX v[2] = {V(0, 0, 0xFF00, 0x0000, 0x2000), V(256, 4, 0x0000, 0xFF00, 0xA000)};
    GRADIENT_RECT r{0, 1};
    ASSERT_TRUE(GradientFill(c.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H));
    for (int x : {0, 1, 64, 128, 200, 255}) {
        double t = x / 256.0;
        uint32_t p = c.At(x, 2);
        EXPECT_NEAR(probe::Red(p), Ramp(0xFF00, 0, t), 1) << x;
        EXPECT_NEAR(probe::Green(p), Ramp(0, 0xFF00, t), 1) << x;
        EXPECT_NEAR(probe::Blue(p), Ramp(0x2000, 0xA000, t), 1) << x;
    }
    // Every row of a horizontal ramp is the same.
    EXPECT_EQ(c.At(100, 0), c.At(100, 3));
}

TEST(GradientFill, VerticalRectangleCarriesVertexAlphaAndStaysInside) {
    Canvas c(20, 120, 0x123456);
    TRIVERTEX v[2] = {V(5, 10, 0, 0, 0, 0xFF00), V(15, 110, 0xFF00, 0xFF00, 0xFF00, 0x0000)};
    GRADIENT_RECT r{0, 1};
    ASSERT_TRUE(GradientFill(c.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(probe::Red(c.At(5, 10)), 0);
    EXPECT_EQ(probe::Alpha(c.At(5, 10)), 0xFF);
    EXPECT_NEAR(probe::Red(c.At(10, 60)), Ramp(0, 0xFF00, 0.5), 1);
    EXPECT_NEAR(probe::Alpha(c.At(10, 60)), Ramp(0xFF00, 0, 0.5), 1);
    EXPECT_NEAR(probe::Green(c.At(14, 109)), Ramp(0, 0xFF00, 99 / 100.0), 1);
    // Right and bottom edges are exclusive; the outside is untouched.
    EXPECT_EQ(c.Rgb(15, 60), 0x123456u);
    EXPECT_EQ(c.Rgb(10, 110), 0x123456u);
    EXPECT_EQ(c.Rgb(4, 60), 0x123456u);
}

TEST(GradientFill, FourCornerTrianglePairMeetsCornerColoursAndAveragesInTheMiddle) {
    // The corner layout skinned faces use: (0,1,2) then (3,1,2).
    Canvas c(101, 101);
    uint16_t tl[3] = {0xFF00, 0, 0}, tr[3] = {0, 0xFF00, 0}, bl[3] = {0, 0, 0xFF00},
             br[3] = {0xFF00, 0xFF00, 0xFF00};
    TRIVERTEX v[4] = {V(0, 0, tl[0], tl[1], tl[2]), V(101, 0, tr[0], tr[1], tr[2]),
                      V(0, 101, bl[0], bl[1], bl[2]), V(101, 101, br[0], br[1], br[2])};
    GRADIENT_TRIANGLE t[2] = {{0, 1, 2}, {3, 1, 2}};
    ASSERT_TRUE(GradientFill(c.dc, v, 4, t, 2, GRADIENT_FILL_TRIANGLE));
    auto near = [&](int x, int y, int r, int g, int b, int tolerance) {
        uint32_t p = c.At(x, y);
        EXPECT_NEAR(probe::Red(p), r, tolerance) << x << "," << y;
        EXPECT_NEAR(probe::Green(p), g, tolerance) << x << "," << y;
        EXPECT_NEAR(probe::Blue(p), b, tolerance) << x << "," << y;
    };
    near(0, 0, 0xFF, 0, 0, 4);
    near(100, 0, 0, 0xFF, 0, 4);
    near(0, 100, 0, 0, 0xFF, 4);
    near(100, 100, 0xFF, 0xFF, 0xFF, 4);
    // On the shared diagonal only the two corners it joins count, so both
    // triangles agree there: halfway between top-right and bottom-left.
    near(50, 50, 0, 0x7F, 0x7F, 2);
    // Pixel centre (75.5, 75.5) lies in the second triangle with weights
    // 0.495 bottom-right, 0.2525 top-right, 0.2525 bottom-left.
    near(75, 75, 126, 190, 190, 2);
    // Midpoint of the top edge: halfway between top-left and top-right.
    near(50, 0, 0x7F, 0x7F, 0, 4);
}

TEST(GradientFill, RefusesMeshIndicesOutsideTheVertexArray) {
    Canvas c(8, 8, 0xABCDEF);
    TRIVERTEX v[2] = {V(0, 0, 0, 0, 0), V(8, 8, 0, 0, 0)};
    GRADIENT_RECT r{0, 5};
    EXPECT_FALSE(GradientFill(c.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H));
    GRADIENT_TRIANGLE t{0, 1, 9};
    EXPECT_FALSE(GradientFill(c.dc, v, 2, &t, 1, GRADIENT_FILL_TRIANGLE));
    EXPECT_EQ(c.Rgb(4, 4), 0xABCDEFu);
}
