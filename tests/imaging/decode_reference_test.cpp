// Every format and variant the platform loads, written by ImageMagick and
// compared pixel for pixel with ImageMagick's own reading of the same file.
#include <gtest/gtest.h>

#include "platform/imaging/codecs.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

struct Variant {
    const char* name;
    const char* file;     // the name decides ImageMagick's writer
    const char* options;  // how ImageMagick writes it
    int tolerance;        // lossy formats and rescaled 16-bit samples
};

// A busy colour picture with a soft alpha ramp, odd-sized so row padding
// and partial bytes get exercised.
const char* kSource =
    "-size 37x23 -seed 5 plasma:fractal \\( -size 37x23 gradient:white-black \\) "
    "-alpha off -compose copy_opacity -composite -depth 8";

const Variant kVariants[] = {
    {"jpeg", "a.jpg", "-alpha off -quality 90", 0},
    {"jpeg_grey", "a.jpg", "-alpha off -colorspace gray -quality 90", 0},
    {"jpeg_progressive", "a.jpg", "-alpha off -interlace JPEG", 0},
    {"png_rgb8", "a.png", "-alpha off -define png:color-type=2", 0},
    {"png_rgba8", "a.png", "-define png:color-type=6", 0},
    {"png_rgb16", "a.png", "-alpha off -depth 16 -define png:color-type=2", 1},
    {"png_rgba16", "a.png", "-depth 16 -define png:color-type=6", 1},
    {"png_grey1", "a.png",
     "-alpha off -colorspace gray -depth 1 -define png:color-type=0 -define png:bit-depth=1", 0},
    {"png_grey2", "a.png",
     "-alpha off -colorspace gray -depth 2 -define png:color-type=0 -define png:bit-depth=2", 0},
    {"png_grey4", "a.png",
     "-alpha off -colorspace gray -depth 4 -define png:color-type=0 -define png:bit-depth=4", 0},
    {"png_grey8", "a.png", "-alpha off -colorspace gray -define png:color-type=0", 0},
    {"png_grey16", "a.png", "-alpha off -colorspace gray -depth 16 -define png:color-type=0", 1},
    {"png_grey_alpha", "a.png", "-colorspace gray -define png:color-type=4", 0},
    {"png_palette", "a.png", "-alpha off -colors 50 -define png:color-type=3", 0},
    {"png_palette_transparent", "a.png", "-channel A -threshold 50% +channel -colors 50 PNG8:", 0},
    {"png_interlaced", "a.png", "-interlace PNG", 0},
    {"tiff_rgb", "a.tif", "-alpha off -compress none", 0},
    {"tiff_rgba_lzw", "a.tif", "-compress lzw", 0},
    {"tiff_rgb16_zip", "a.tif", "-alpha off -depth 16 -compress zip", 1},
    {"tiff_grey", "a.tif", "-alpha off -colorspace gray", 0},
    {"tiff_palette", "a.tif", "-alpha off -colors 16 -type palette", 1},  // 16-bit colour map
    {"bmp1", "a.bmp", "-alpha off -monochrome -type bilevel BMP3:", 0},
    {"bmp4", "a.bmp", "-alpha off -colors 16 -type palette BMP3:", 0},
    {"bmp8", "a.bmp", "-alpha off -colors 200 -type palette BMP3:", 0},
    {"bmp8_rle", "a.bmp", "-alpha off -colors 200 -type palette -compress rle BMP3:", 0},
    {"bmp16", "a.bmp", "-alpha off -define bmp:subtype=RGB565", 4},
    {"bmp24", "a.bmp", "-alpha off BMP3:", 0},
    {"bmp32_alpha", "a.bmp", "", 0},
    {"gif", "a.gif", "-alpha off -colors 64", 0},
    {"gif_transparent", "a.gif", "-channel A -threshold 50% +channel -colors 64", 0},
    {"ico", "a.ico", "", 0},
    {"ico_png", "a.ico", "-resize 256x256! -define icon:auto-resize=256", 0},
};

class DecodeReference : public ::testing::TestWithParam<Variant> {};

TEST_P(DecodeReference, MatchesImageMagicksPixels) {
    if (!HaveImageMagick())
        GTEST_SKIP() << "ImageMagick is not installed";
    const Variant& v = GetParam();
    auto folder = ScratchFolder();
    auto path = folder / v.file;
    std::string prefix;
    std::string options = v.options;
    // A trailing "FORMAT:" in the options is the writer prefix of the file name.
    if (!options.empty() && options.back() == ':') {
        auto space = options.rfind(' ');
        size_t start = space == std::string::npos ? 0 : space + 1;
        prefix = options.substr(start);
        options.erase(start);
    }
    ASSERT_TRUE(
        Convert(std::string(kSource) + " " + options + " " + prefix + "'" + path.string() + "'"))
        << v.name;
    auto bytes = ReadFile(path);
    auto image = DecodeAny({bytes.data(), bytes.size()});
    ASSERT_TRUE(image) << v.name;
    auto expected = MagickRgba(path);
    ASSERT_FALSE(expected.empty());
    auto actual = Rgba(*image);
    if (image->hasAlpha()) {
        // Colour under full transparency is anyone's guess; compare it as 0.
        for (auto* pixels : {&expected, &actual}) {
            for (size_t i = 0; i < pixels->size(); i += 4) {
                if ((*pixels)[i + 3] == 0)
                    (*pixels)[i] = (*pixels)[i + 1] = (*pixels)[i + 2] = 0;
            }
        }
    }
    EXPECT_LE(MaxDifference(actual, expected), size_t(v.tolerance)) << v.name;
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, DecodeReference, ::testing::ValuesIn(kVariants),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace platform::imaging
