// Stretched transfers (nearest pixel, halftone averaging, mirroring) and
// device bitmaps made from packed rows of 1, 8 and 24 bits per pixel.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/graphics/png_writer.h"
#include "tests/graphics/surface_probe.h"

using namespace platform;
using probe::Canvas;

TEST(Stretch, HalftoneAveragesTheSourceAreaEachPixelCovers) {
    // A one-pixel black and white checkerboard halves to flat grey, and a
    // 4 by 4 picture of 2 by 2 blocks with distinct values halves to the
    // mean of each block.
    Canvas checker(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            checker.Set(x, y, (x + y) % 2 ? 0xFFFFFF : 0);
    Canvas half(4, 4, 0x123456);
    SetStretchBltMode(half.dc, HALFTONE);
    ASSERT_TRUE(StretchBlt(half.dc, 0, 0, 4, 4, checker.dc, 0, 0, 8, 8, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_NEAR(probe::Green(half.At(x, y)), 128, 1);

    Canvas blocks(4, 4);
    const uint32_t values[4][4] = {{0x000000, 0x000010, 0x400000, 0x400000},
                                   {0x000020, 0x000030, 0x800000, 0x800000},
                                   {0x00F000, 0x00E000, 0x000000, 0xFFFFFF},
                                   {0x00D000, 0x00C000, 0xFFFFFF, 0x000000}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            blocks.Set(x, y, values[y][x]);
    Canvas out(2, 2);
    SetStretchBltMode(out.dc, HALFTONE);
    StretchBlt(out.dc, 0, 0, 2, 2, blocks.dc, 0, 0, 4, 4, SRCCOPY);
    EXPECT_EQ(out.Rgb(0, 0), 0x000018u);  // (0 + 0x10 + 0x20 + 0x30) / 4
    EXPECT_EQ(out.Rgb(1, 0), 0x600000u);
    EXPECT_EQ(out.Rgb(0, 1), 0x00D800u);
    EXPECT_NEAR(probe::Red(out.At(1, 1)), 128, 1);
}

TEST(Stretch, NearestPixelReplicatesAndNegativeWidthMirrors) {
    Canvas src(2, 1);
    src.Set(0, 0, 0xAA0000);
    src.Set(1, 0, 0x0000BB);
    Canvas big(8, 2);
    SetStretchBltMode(big.dc, COLORONCOLOR);
    StretchBlt(big.dc, 0, 0, 8, 2, src.dc, 0, 0, 2, 1, SRCCOPY);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(big.Rgb(x, 1), x < 4 ? 0xAA0000u : 0x0000BBu) << x;
    // Drawing right to left mirrors the picture.
    StretchBlt(big.dc, 7, 0, -8, 1, src.dc, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(big.Rgb(0, 0), 0x0000BBu);
    EXPECT_EQ(big.Rgb(7, 0), 0xAA0000u);
}

TEST(Bitmaps, PackedRowsOfEachDepthDecodeWithTheirColourTables) {
    // 8 bits, 3 by 2, bottom row first, rows padded to 4 bytes.
    std::vector<uint8_t> info(40 + 256 * 4);
    BITMAPINFOHEADER h;
    h.biWidth = 3;
    h.biHeight = 2;
    h.biBitCount = 8;
    std::memcpy(info.data(), &h, 40);
    auto setColour = [&](int i, uint8_t b, uint8_t g, uint8_t r) {
        info[40 + 4 * i] = b;
        info[41 + 4 * i] = g;
        info[42 + 4 * i] = r;
    };
    setColour(1, 0x10, 0x20, 0x30);
    setColour(200, 0xF0, 0xE0, 0xD0);
    uint8_t rows8[8] = {1, 200, 1, 0, /* top: */ 200, 200, 1, 0};
    HBITMAP eight = CreateDIBitmap(nullptr, reinterpret_cast<BITMAPINFOHEADER*>(info.data()),
                                   CBM_INIT, rows8, reinterpret_cast<BITMAPINFO*>(info.data()), 0);
    ASSERT_NE(eight, nullptr);
    PixelView v = BitmapPixels(eight);
    EXPECT_EQ(v.Row(0)[0] & 0xFFFFFF, 0xD0E0F0u);  // top row, colour 200 as R,G,B
    EXPECT_EQ(v.Row(0)[2] & 0xFFFFFF, 0x302010u);
    EXPECT_EQ(v.Row(1)[0] & 0xFFFFFF, 0x302010u);
    DeleteObject(eight);

    // 1 bit, 10 by 1 (top-down by negative height), two colours.
    std::vector<uint8_t> mono(40 + 8);
    h.biWidth = 10;
    h.biHeight = -1;
    h.biBitCount = 1;
    std::memcpy(mono.data(), &h, 40);
    mono[40 + 4] = 0xFF;                    // colour 1 blue
    uint8_t rows1[4] = {0x80, 0x40, 0, 0};  // pixels 0 and 9 set
    HBITMAP one = CreateDIBitmap(nullptr, reinterpret_cast<BITMAPINFOHEADER*>(mono.data()),
                                 CBM_INIT, rows1, reinterpret_cast<BITMAPINFO*>(mono.data()), 0);
    v = BitmapPixels(one);
    EXPECT_EQ(v.Row(0)[0] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(v.Row(0)[1] & 0xFFFFFF, 0u);
    EXPECT_EQ(v.Row(0)[9] & 0xFFFFFF, 0x0000FFu);
    DeleteObject(one);

    // 24 bits: rows of B,G,R padded to 4 bytes, read back unchanged.
    BITMAPINFO rgb{};
    rgb.bmiHeader.biWidth = 2;
    rgb.bmiHeader.biHeight = 2;
    rgb.bmiHeader.biBitCount = 24;
    uint8_t rows24[16] = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    HBITMAP deep = CreateDIBitmap(nullptr, &rgb.bmiHeader, CBM_INIT, rows24, &rgb, 0);
    v = BitmapPixels(deep);
    EXPECT_EQ(v.Row(1)[0] & 0xFFFFFF, 0x030201u);  // bottom row first in the file
    EXPECT_EQ(v.Row(0)[1] & 0xFFFFFF, 0x0C0B0Au);
    BITMAPINFO query{};
    query.bmiHeader.biBitCount = 24;
    ASSERT_EQ(GetDIBits(nullptr, deep, 0, 0, nullptr, &query, 0), 1);
    EXPECT_EQ(query.bmiHeader.biSizeImage, 16u);
    uint8_t back[16] = {};
    query.bmiHeader.biHeight = 2;
    EXPECT_EQ(GetDIBits(nullptr, deep, 0, 2, back, &query, 0), 2);
    EXPECT_EQ(std::memcmp(back, rows24, sizeof back), 0);
    DeleteObject(deep);
}

TEST(Bitmaps, UnusableHeadersAreRefused) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biBitCount = 7;
    uint8_t bits[64] = {};
    EXPECT_EQ(CreateDIBitmap(nullptr, &info.bmiHeader, CBM_INIT, bits, &info, 0), nullptr);
    info.bmiHeader.biBitCount = 8;
    info.bmiHeader.biCompression = 1;  // run-length coded
    EXPECT_EQ(CreateDIBitmap(nullptr, &info.bmiHeader, CBM_INIT, bits, &info, 0), nullptr);
    info.bmiHeader.biCompression = 0;
    info.bmiHeader.biWidth = 1 << 20;  // absurd size
    EXPECT_EQ(CreateDIBitmap(nullptr, &info.bmiHeader, CBM_INIT, bits, &info, 0), nullptr);
    EXPECT_EQ(CreateBitmap(0, 5, 1, 32, nullptr), nullptr);
}

TEST(Bitmaps, IconDrawsThroughItsMaskAndFocusFrameUndoesItself) {
    // A 2 by 2 icon: 24-bit colour rows, then a 1-bit mask whose set bit
    // lets the background through.
    uint8_t image[40 + 2 * 8 + 2 * 4] = {};
    BITMAPINFOHEADER h;
    h.biWidth = 2;
    h.biHeight = 4;
    h.biBitCount = 24;
    std::memcpy(image, &h, 40);
    uint8_t* colour = image + 40;  // bottom row first
    colour[0] = 0xFF;              // bottom-left blue
    colour[8 + 3 + 1] = 0xFF;      // top-right green
    uint8_t* mask = image + 40 + 16;
    mask[4] = 0x80;  // top row: left pixel see-through
    HICON icon = CreateIconFromResourceEx(image, sizeof image, true, 0x30000, 2, 2, 0);
    ASSERT_NE(icon, nullptr);
    Canvas c(2, 2, 0x777777);
    ASSERT_TRUE(DrawIconEx(c.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(c.Rgb(0, 0), 0x777777u);
    EXPECT_EQ(c.Rgb(1, 0), 0x00FF00u);
    EXPECT_EQ(c.Rgb(0, 1), 0x0000FFu);
    EXPECT_EQ(c.Rgb(1, 1), 0u);
    DestroyIcon(icon);

    Canvas f(10, 10, 0x336699);
    RECT r{1, 1, 9, 9};
    DrawFocusRect(f.dc, &r);
    int changed = 0;
    for (int x = 1; x < 9; ++x)
        changed += f.Rgb(x, 1) != 0x336699u;
    EXPECT_EQ(changed, 4);  // every other pixel
    EXPECT_EQ(f.Rgb(4, 4), 0x336699u);
    DrawFocusRect(f.dc, &r);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(f.Rgb(x, y), 0x336699u);
}

// A second implementation: ImageMagick's box-filter resize of a 2:1
// reduction averages the same two by two blocks the halftone mode does.
// Also shows our PNG files are readable by another program.
TEST(Stretch, HalftoneReductionAgreesWithImageMagick) {
    if (std::system("command -v convert > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no ImageMagick";
    Canvas picture(64, 48);
    uint32_t seed = 12345;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            seed = seed * 1103515245 + 12345;
            picture.Set(x, y, (seed >> 8) & 0xFFFFFF);
        }
    }
    auto dir = std::filesystem::temp_directory_path();
    std::string in = (dir / "picbatch_halftone_in.png").string();
    std::string out = (dir / "picbatch_halftone_out.png").string();
    std::string error;
    ASSERT_TRUE(WritePng(BitmapPixels(picture.bitmap), in, &error)) << error;
    std::string command = "convert '" + in + "' -filter Box -resize 32x24! '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, out.c_str()));
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> theirs(size_t(image.width) * image.height);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, theirs.data(), 0, nullptr));
    ASSERT_EQ(image.width, 32u);
    ASSERT_EQ(image.height, 24u);

    Canvas ours(32, 24);
    SetStretchBltMode(ours.dc, HALFTONE);
    StretchBlt(ours.dc, 0, 0, 32, 24, picture.dc, 0, 0, 64, 48, SRCCOPY);
    int worst = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 32; ++x) {
            uint32_t a = ours.Rgb(x, y), b = theirs[size_t(y) * 32 + x] & 0xFFFFFF;
            for (int shift = 0; shift < 24; shift += 8) {
                worst =
                    std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
            }
        }
    }
    EXPECT_LE(worst, 1);
    std::remove(in.c_str());
    std::remove(out.c_str());
}
