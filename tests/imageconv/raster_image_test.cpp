// RasterImage: storage lifetime, and the conversions between depths.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "imageconv_test_support.h"
#include "libs/imageconv/raster_image.h"

namespace imageconv_test {
namespace {

using imageconv::RasterImage;

class RasterImageTest : public ImageconvTest {};

void FillRgb(RasterImage& image, const std::vector<std::array<uint8_t, 3>>& colours) {
    for (int32_t y = 0; y < image.height(); ++y) {
        for (int32_t x = 0; x < image.width(); ++x) {
            const auto& c = colours[size_t(x + y) % colours.size()];
            std::memcpy(image.Row(y) + 3 * x, c.data(), 3);
        }
    }
}

TEST_F(RasterImageTest, CreateAcceptsOnlyValidShapesAndLeavesFailuresEmpty) {
    RasterImage image;
    ASSERT_TRUE(image.Create(1, 1, 24, 0));
    EXPECT_EQ(image.pixelDataSize(), 3u);
    EXPECT_EQ(image.totalSize(), 35u);
    EXPECT_EQ(image.colourCount(), 0);
    EXPECT_FALSE(image.Create(0, 5, 24, 0));
    EXPECT_FALSE(image.HasPixels());
    EXPECT_FALSE(image.Create(5, 5, 12, 0));
    EXPECT_FALSE(image.Create(5, 5, 8, -1));
    EXPECT_FALSE(image.Create(5, 5, 8, 257));
    EXPECT_FALSE(image.Create(1 << 20, 1 << 20, 32, 0));  // far above the storage cap
    EXPECT_EQ(image.width(), 0);
    ASSERT_TRUE(image.Create(3, 2, 16, 99));  // colours only mean something at depth 8
    EXPECT_EQ(image.colourCount(), 0);
    EXPECT_EQ(image.rowSize(), 6u);
}

TEST_F(RasterImageTest, BackingFilesNeverOutliveTheirImageNotEvenAfterACrash) {
    {
        RasterImage image;
        ASSERT_TRUE(image.Create(64, 64, 32, 0));
        EXPECT_EQ(image.pixelBuffer().path().rfind(temp_ + "/", 0), 0u)
            << image.pixelBuffer().path();
        EXPECT_FALSE(FileExists(image.pixelBuffer().path()));
        image.Row(63)[255] = 7;  // the mapping stays usable without a name
        EXPECT_EQ(image.Row(63)[255], 7);
        image.Clear();
        EXPECT_FALSE(image.HasPixels());
    }
    // A process that dies with images alive leaves nothing behind.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RasterImage a, b;
        bool ok = a.Create(100, 100, 24, 0) && b.Create(10, 10, 8, 16);
        if (ok)
            std::abort();
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child could not create its images";
    EXPECT_TRUE(TempEntries().empty());
}

TEST_F(RasterImageTest, CopyFromKeepsTableAndIndices) {
    RasterImage source;
    ASSERT_TRUE(source.Create(4, 3, 8, 5));
    for (int i = 0; i < 5; ++i) {
        source.colours()[i] = {uint8_t(i * 10), uint8_t(i * 20), uint8_t(i * 30), 0, 0};
    }
    for (size_t i = 0; i < source.pixelDataSize(); ++i)
        source.pixels()[i] = uint8_t(i % 5);
    RasterImage copy;
    ASSERT_TRUE(copy.CopyFrom(source));
    ASSERT_EQ(copy.colourCount(), 5);
    EXPECT_EQ(std::memcmp(copy.colours(), source.colours(), 5 * sizeof(imageconv::ColourEntry)), 0);
    EXPECT_EQ(std::memcmp(copy.pixels(), source.pixels(), source.pixelDataSize()), 0);
    RasterImage empty;
    EXPECT_FALSE(copy.CopyFrom(empty));
    EXPECT_FALSE(copy.HasPixels());
}

TEST_F(RasterImageTest, DepthConversionsFollowThePixelLayouts) {
    RasterImage rgb;
    ASSERT_TRUE(rgb.Create(2, 1, 24, 0));
    const uint8_t pixels[] = {200, 100, 50, 255, 255, 255};
    std::memcpy(rgb.pixels(), pixels, sizeof pixels);

    RasterImage gray;
    ASSERT_TRUE(rgb.ConvertTo(gray, 8, 0));
    EXPECT_EQ(gray.colourCount(), 0);
    EXPECT_EQ(gray.pixels()[0], 124);  // (306*200 + 601*100 + 117*50) >> 10
    EXPECT_EQ(gray.pixels()[1], 255);

    RasterImage packed, back;
    ASSERT_TRUE(rgb.ConvertTo(packed, 16, 0));
    // red 200>>3=25, green 100>>3=12, blue 50>>3=6, bit 0 clear, little-endian.
    const uint16_t word = uint16_t(packed.pixels()[0] | packed.pixels()[1] << 8);
    EXPECT_EQ(word, (25 << 11) | (12 << 6) | (6 << 1));
    ASSERT_TRUE(packed.ConvertTo(back, 24, 0));
    const uint8_t expanded[] = {200, 96, 48, 248, 248, 248};
    EXPECT_EQ(std::memcmp(back.pixels(), expanded, 6), 0);

    RasterImage argb, rgbAgain;
    ASSERT_TRUE(gray.ConvertTo(argb, 32, 0));
    const uint8_t grayArgb[] = {255, 124, 124, 124, 255, 255, 255, 255};
    EXPECT_EQ(std::memcmp(argb.pixels(), grayArgb, 8), 0);
    ASSERT_TRUE(argb.ConvertTo(rgbAgain, 24, 0));
    EXPECT_EQ(rgbAgain.pixels()[0], 124);

    RasterImage self;
    EXPECT_FALSE(self.ConvertTo(gray, 24, 0)) << "an empty source converts to nothing";
    EXPECT_FALSE(gray.HasPixels());
}

TEST_F(RasterImageTest, QuantisingFewColoursKeepsEveryPixelExact) {
    RasterImage rgb;
    ASSERT_TRUE(rgb.Create(7, 5, 24, 0));
    // Colours on the 15-bit grid survive quantisation unchanged.
    FillRgb(rgb, {{{248, 0, 0}}, {{0, 128, 8}}, {{16, 16, 240}}});
    RasterImage indexed;
    ASSERT_TRUE(rgb.ConvertTo(indexed, 8, 256));
    EXPECT_EQ(indexed.colourCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(indexed.colours()[i].reserved, 255);
    EXPECT_EQ(ImageRgb(indexed), ImageRgb(rgb));
}

TEST_F(RasterImageTest, QuantisingManyColoursKeepsTheMostFrequentAndMapsTheRestNearby) {
    RasterImage rgb;
    ASSERT_TRUE(rgb.Create(64, 64, 24, 0));
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            uint8_t* p = rgb.Row(y) + 3 * x;
            // Mostly one red; a gradient of rare colours elsewhere.
            if (x < 48) {
                p[0] = 200, p[1] = 8, p[2] = 8;
            } else {
                p[0] = uint8_t(x * 4), p[1] = uint8_t(y * 4), p[2] = 100;
            }
        }
    }
    RasterImage indexed;
    ASSERT_TRUE(rgb.ConvertTo(indexed, 8, 16));
    EXPECT_EQ(indexed.colourCount(), 16);
    std::vector<uint8_t> rgbOut = ImageRgb(indexed);
    EXPECT_EQ(rgbOut[0], 200);
    EXPECT_EQ(rgbOut[1], 8);
    // 16 colours for a 16x64 gradient are coarse, but every pixel must get a
    // colour near its own, not an unrelated neighbour in key order.
    EXPECT_GT(Psnr(rgbOut, ImageRgb(rgb)), 20.0);
    // Converting an already indexed image to a larger table keeps it as is.
    RasterImage again;
    ASSERT_TRUE(indexed.ConvertTo(again, 8, 256));
    EXPECT_EQ(again.colourCount(), 16);
    EXPECT_EQ(std::memcmp(again.pixels(), indexed.pixels(), indexed.pixelDataSize()), 0);
}

TEST_F(RasterImageTest, PaletteIndexPastTheTableReadsAsBlack) {
    RasterImage indexed;
    ASSERT_TRUE(indexed.Create(2, 1, 8, 1));
    indexed.colours()[0] = {10, 20, 30, 0, 0};
    indexed.pixels()[0] = 0;
    indexed.pixels()[1] = 200;
    std::vector<uint8_t> expected = {10, 20, 30, 0, 0, 0};
    EXPECT_EQ(ImageRgb(indexed), expected);
}

}  // namespace
}  // namespace imageconv_test
