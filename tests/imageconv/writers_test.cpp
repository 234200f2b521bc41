// Every writer's output read back by ImageMagick.
#include <tiffio.h>

#include <cstring>

#include "imageconv_test_support.h"
#include "libs/imageconv/jpeg_codec.h"
#include "libs/imageconv/load_any_image.h"
#include "libs/imageconv/png_codec.h"
#include "libs/imageconv/tiff_codec.h"

namespace imageconv_test {
namespace {

using namespace imageconv;

class WritersTest : public ImageconvTest {
protected:
    void SetUp() override {
        ImageconvTest::SetUp();
        const std::string source = Work("source.png");
        ASSERT_TRUE(Magick("-seed 11 -size 45x33 plasma:fractal -depth 8 PNG24:" + source));
        ASSERT_EQ(LoadAnyImage(source.c_str(), image_), 1);
        ASSERT_EQ(image_.depth(), 24);
        rgb_ = ImageRgb(image_);
    }

    RasterImage image_;
    std::vector<uint8_t> rgb_;
};

std::vector<uint8_t> GrayOf(const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        uint8_t g = GrayLevel(rgb[i], rgb[i + 1], rgb[i + 2]);
        out.insert(out.end(), {g, g, g});
    }
    return out;
}

TEST_F(WritersTest, JpegColourAndGray) {
    JpegWriter writer;
    const std::string colour = Work("colour.jpg");
    ASSERT_TRUE(writer.Open(colour.c_str(), &image_, {100, true, true, 0}, nullptr));
    ASSERT_TRUE(writer.Write());
    writer.Close();
    EXPECT_EQ(MagickIdentify("%[channels] %Q", colour), "srgb 100");
    // Default 2x2 chroma subsampling on a noisy test picture.
    EXPECT_GE(Psnr(MagickRgb(colour), rgb_), 28.0);

    const std::string gray = Work("gray.jpg");
    ASSERT_TRUE(writer.Open(gray.c_str(), &image_, {90, false, false, 20}, nullptr));
    ASSERT_TRUE(writer.Write());
    writer.Close();
    EXPECT_EQ(MagickIdentify("%[channels]", gray), "gray");
    EXPECT_GE(Psnr(MagickRgb(gray), GrayOf(rgb_)), 30.0);

    EXPECT_FALSE(writer.Open(colour.c_str(), &image_, {0, true, true, 0}, nullptr));
    EXPECT_FALSE(writer.Open(colour.c_str(), &image_, {100, true, true, 101}, nullptr));
    RasterImage empty;
    EXPECT_FALSE(writer.Open(colour.c_str(), &empty, {100, true, true, 0}, nullptr));
}

TEST_F(WritersTest, TiffRgbAndGrayRamp) {
    TiffWriter writer;
    const std::string rgb = Work("rgb.tif");
    ASSERT_TRUE(writer.Open(rgb.c_str(), &image_, 24, nullptr));
    ASSERT_TRUE(writer.Write());
    writer.Close();
    EXPECT_EQ(MagickRgb(rgb), rgb_);

    const std::string gray = Work("gray.tif");
    ASSERT_TRUE(writer.Open(gray.c_str(), &image_, 8, nullptr));
    ASSERT_TRUE(writer.Write());
    writer.Close();
    TIFF* tiff = TIFFOpen(gray.c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    uint16_t photometric = 0, *red = nullptr, *green = nullptr, *blue = nullptr;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    EXPECT_EQ(photometric, PHOTOMETRIC_PALETTE);
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue));
    EXPECT_EQ(red[255], 65280);
    EXPECT_EQ(green[255], 65280);
    EXPECT_EQ(blue[255], 65280);
    std::vector<uint8_t> row(45);
    ASSERT_EQ(TIFFReadScanline(tiff, row.data(), 0, 0), 1);
    for (int x = 0; x < 45; ++x) {
        EXPECT_EQ(row[x], GrayLevel(rgb_[3 * x], rgb_[3 * x + 1], rgb_[3 * x + 2]));
    }
    TIFFClose(tiff);
    // A reader that scales 65535 to 255 sees entry i*256 as i or i-1.
    EXPECT_GE(Psnr(MagickRgb(gray), GrayOf(rgb_)), 48.0);

    EXPECT_FALSE(writer.Open(rgb.c_str(), &image_, 16, nullptr));
}

TEST_F(WritersTest, PngIsInterlacedAndLossless) {
    PngWriter writer;
    const std::string rgb = Work("rgb.png");
    ASSERT_TRUE(writer.Open(rgb.c_str(), &image_, 24, 0, nullptr));
    ASSERT_TRUE(writer.Write());
    writer.Close();
    std::vector<uint8_t> bytes = ReadAll(rgb);
    ASSERT_GT(bytes.size(), 29u);
    EXPECT_EQ(bytes[25], 2) << "colour type";
    EXPECT_EQ(bytes[28], 1) << "interlace method";
    EXPECT_EQ(MagickRgb(rgb), rgb_);

    // Alpha-first pixels leave as RGBA, and the caller's image is untouched.
    RasterImage argb;
    ASSERT_TRUE(image_.ConvertTo(argb, 32, 0));
    argb.pixels()[0] = 77;
    std::vector<uint8_t> before(argb.pixels(), argb.pixels() + argb.pixelDataSize());
    const std::string rgba = Work("rgba.png");
    ASSERT_TRUE(writer.Open(rgba.c_str(), &argb, 32, 0, nullptr));
    ASSERT_TRUE(writer.Write());
    writer.Close();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), argb.pixels()));
    EXPECT_EQ(MagickRgb(rgba), rgb_);
    EXPECT_EQ(MagickIdentify("%[fx:int(255*p{0,0}.a)] %[fx:int(255*p{1,0}.a)]", rgba), "77 255");

    // A gray image goes out as RGB with equal channels.
    RasterImage gray;
    ASSERT_TRUE(image_.ConvertTo(gray, 8, 0));
    const std::string fromGray = Work("from-gray.png");
    ASSERT_TRUE(writer.Open(fromGray.c_str(), &gray, 24, 0, nullptr));
    ASSERT_TRUE(writer.Write());
    writer.Close();
    EXPECT_EQ(MagickRgb(fromGray), GrayOf(rgb_));

    // A palette file through the quantiser.
    const std::string palette = Work("palette.png");
    ASSERT_TRUE(writer.Open(palette.c_str(), &image_, 8, 256, nullptr));
    ASSERT_TRUE(writer.Write());
    writer.Close();
    EXPECT_EQ(ReadAll(palette)[25], 3) << "colour type";
    EXPECT_GE(Psnr(MagickRgb(palette), rgb_), 25.0);

    EXPECT_FALSE(writer.Open(rgb.c_str(), &image_, 16, 0, nullptr));
    EXPECT_FALSE(writer.Open(rgb.c_str(), &image_, 8, 0, nullptr));
}

TEST_F(WritersTest, ProgressIsReportedOncePerRow) {
    static std::vector<int32_t> rows;
    static int32_t lastPercent;
    rows.clear();
    JpegWriter writer;
    const std::string out = Work("progress.jpg");
    ASSERT_TRUE(writer.Open(out.c_str(), &image_, {80, true, true, 0},
                            [](int32_t reading, int32_t percent, int32_t row, int32_t) {
                                EXPECT_EQ(reading, 0);
                                rows.push_back(row);
                                lastPercent = percent;
                            }));
    ASSERT_TRUE(writer.Write());
    EXPECT_EQ(rows.size(), 33u);
    EXPECT_EQ(rows.back(), 32);
    EXPECT_EQ(lastPercent, 100);
}

}  // namespace
}  // namespace imageconv_test
