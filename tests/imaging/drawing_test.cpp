#include <gtest/gtest.h>

#include "platform/imaging/imaging.h"

namespace platform::imaging {
namespace {

TEST(Drawing, ImageWithAlphaLandsOverASolidFill) {
    Image* source = nullptr;
    ASSERT_EQ(CreateBitmapFromScan0(2, 1, 0, kFormat32bppArgb, nullptr, &source), kOk);
    uint8_t* p = source->row(0);
    // Half-transparent red, then fully transparent.
    p[0] = 0, p[1] = 0, p[2] = 255, p[3] = 128;
    p[4] = 0, p[5] = 255, p[6] = 0, p[7] = 0;

    Image* target = nullptr;
    ASSERT_EQ(CreateBitmapFromScan0(2, 1, 0, kFormat32bppArgb, nullptr, &target), kOk);
    Graphics* graphics = nullptr;
    ASSERT_EQ(GetImageGraphicsContext(target, &graphics), kOk);
    SolidBrush* white = nullptr;
    ASSERT_EQ(CreateSolidFill(0xFFFFFFFF, &white), kOk);
    EXPECT_EQ(FillRectangle(graphics, white, 0, 0, 2, 1), kOk);
    EXPECT_EQ(DrawImageRectRect(graphics, source, 0, 0, 2, 1, 0, 0, 2, 1, kUnitPixel), kOk);
    EXPECT_EQ(DrawImageRectRect(graphics, source, 0, 0, 2, 1, 0, 0, 2, 1, 3), kInvalidParameter)
        << "only pixel units";
    const uint8_t* out = target->row(0);
    EXPECT_EQ(out[2], 255);
    EXPECT_NEAR(out[1], 127, 1);
    EXPECT_NEAR(out[0], 127, 1);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[4], 255);  // the transparent pixel left the white alone
    EXPECT_EQ(out[5], 255);
    EXPECT_EQ(out[7], 255);

    DeleteBrush(white);
    DeleteGraphics(graphics);
    DisposeImage(source);
    DisposeImage(target);
    EXPECT_EQ(CreateBitmapFromScan0(0, 5, 0, kFormat32bppArgb, nullptr, &target),
              kInvalidParameter);
}

}  // namespace
}  // namespace platform::imaging
