// Every reader against files ImageMagick wrote, compared with ImageMagick's
// own decode of the same files.
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "imageconv_test_support.h"
#include "libs/imageconv/bmp_reader.h"
#include "libs/imageconv/convert_result.h"
#include "libs/imageconv/jpeg_codec.h"
#include "libs/imageconv/load_any_image.h"
#include "libs/imageconv/pcx_reader.h"
#include "libs/imageconv/photocd_reader.h"
#include "libs/imageconv/png_codec.h"
#include "libs/imageconv/tiff_codec.h"

namespace imageconv_test {
namespace {

using namespace imageconv;

constexpr double kExact = std::numeric_limits<double>::infinity();
// Both sides use libjpeg-turbo, but ImageMagick may pick another IDCT.
constexpr double kJpegPsnr = 40.0;
constexpr int32_t kDeclined = -1;

struct Fixture {
    const char* file;
    const char* magickArgs;  // applied to the plasma source
    int32_t kind;            // kDeclined: the reader must decline
    double minPsnr = 0;      // 0: the reader's default bound
};

class ReadersTest : public ImageconvTest {
protected:
    void SetUp() override {
        ImageconvTest::SetUp();
        source_ = Work("source.png");
        // Odd sizes exercise row padding in BMP and PCX.
        ASSERT_TRUE(Magick("-seed 7 -size 37x29 plasma:fractal -depth 8 " + source_));
    }

    std::string Make(const Fixture& f) {
        std::string path = Work(f.file);
        std::string args = f.magickArgs;
        // A trailing "FORMAT:" prefixes the output name.
        const char* gap = (!args.empty() && args.back() == ':') ? "" : " ";
        EXPECT_TRUE(Magick(source_ + " " + args + gap + path)) << f.file;
        return path;
    }

    // Decodes with `reader` and compares with ImageMagick's decode.
    void ExpectDecodes(ImageReader& reader, const std::string& path, int32_t kind, double minPsnr) {
        SCOPED_TRACE(path);
        RasterImage image;
        ASSERT_TRUE(reader.Probe(path.c_str(), &image, nullptr));
        EXPECT_EQ(reader.kind(), kind);
        ASSERT_TRUE(reader.Decode());
        int w = 0, h = 0;
        std::vector<uint8_t> reference = MagickRgb(path, &w, &h);
        ASSERT_EQ(image.width(), w);
        ASSERT_EQ(image.height(), h);
        std::vector<uint8_t> ours = ImageRgb(image);
        if (std::isinf(minPsnr)) {
            EXPECT_TRUE(ours == reference) << "PSNR " << Psnr(ours, reference);
        } else {
            EXPECT_GE(Psnr(ours, reference), minPsnr);
        }
    }

    void Check(ImageReader& reader, const std::vector<Fixture>& fixtures, double minPsnr) {
        for (const Fixture& f : fixtures) {
            std::string path = Make(f);
            if (f.kind == kDeclined) {
                RasterImage image;
                EXPECT_FALSE(reader.Probe(path.c_str(), &image, nullptr)) << f.file;
                EXPECT_EQ(LoadAnyImage(path.c_str(), image), CONVERT_UNREADABLE) << f.file;
                EXPECT_FALSE(image.HasPixels());
            } else {
                ExpectDecodes(reader, path, f.kind, f.minPsnr > 0 ? f.minPsnr : minPsnr);
            }
        }
    }

    std::string source_;
};

TEST_F(ReadersTest, Bmp) {
    BmpReader reader;
    Check(reader,
          {{"bottom-up.bmp", "-type TrueColor BMP3:", KIND_BMP_WINDOWS},
           {"os2.bmp", "-type TrueColor BMP2:", KIND_BMP_OS2},
           {"palette.bmp", "-type Palette BMP3:", kDeclined}},
          kExact);

    // A top-down file: the bottom-up one with its rows reversed and its
    // height negated, which ImageMagick reads as well.
    std::vector<uint8_t> bytes = ReadAll(Work("bottom-up.bmp"));
    const uint32_t offset = bytes[10] | bytes[11] << 8;
    const int32_t height = int32_t(bytes[22] | bytes[23] << 8 | bytes[24] << 16 | bytes[25] << 24);
    const size_t row = ((37 * 24 + 31) / 32) * 4;
    std::vector<uint8_t> flipped(bytes);
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(&flipped[offset + y * row], &bytes[offset + (height - 1 - y) * row], row);
    }
    const int32_t negative = -height;
    std::memcpy(&flipped[22], &negative, 4);
    WriteAll(Work("top-down.bmp"), flipped);
    ExpectDecodes(reader, Work("top-down.bmp"), KIND_BMP_WINDOWS, kExact);
}

TEST_F(ReadersTest, Pcx) {
    PcxReader reader;
    Check(reader, {{"palette.pcx", "-type Palette", 0}, {"planes.pcx", "-type TrueColor", 0}},
          kExact);
    RasterImage image;
    ASSERT_TRUE(reader.Probe(Work("palette.pcx").c_str(), &image, nullptr));
    ASSERT_TRUE(reader.Decode());
    EXPECT_EQ(image.depth(), 8);
    EXPECT_EQ(image.colourCount(), 256);

    // One pixel wide, and two 8-bit planes: declined.
    ASSERT_TRUE(Magick("-size 1x20 gradient: -type TrueColor " + Work("thin.pcx")));
    EXPECT_FALSE(reader.Probe(Work("thin.pcx").c_str(), &image, nullptr));
    std::vector<uint8_t> planes = ReadAll(Work("planes.pcx"));
    planes[65] = 2;
    WriteAll(Work("two-planes.pcx"), planes);
    EXPECT_FALSE(reader.Probe(Work("two-planes.pcx").c_str(), &image, nullptr));
}

// A PCX file like `original` (its header, and its palette when it has one)
// whose rows hold `bytesPerLine` bytes per plane, run-length coded byte by
// byte from `samples` (`planes` bytes a pixel); the bytes beyond the width
// are zero padding.
std::vector<uint8_t> PaddedPcx(const std::vector<uint8_t>& original, const uint8_t* samples,
                               int planes, int width, int height, int bytesPerLine) {
    std::vector<uint8_t> file(original.begin(), original.begin() + 128);
    file[66] = uint8_t(bytesPerLine), file[67] = uint8_t(bytesPerLine >> 8);
    for (int y = 0; y < height; ++y) {
        for (int plane = 0; plane < planes; ++plane) {
            for (int x = 0; x < bytesPerLine; ++x) {
                const uint8_t value =
                    x < width ? samples[(size_t(y) * width + x) * planes + plane] : 0;
                if (value >= 0xC0)
                    file.push_back(0xC1);  // a run of one
                file.push_back(value);
            }
        }
    }
    if (planes == 1)  // the palette marker and the 256 colours
        file.insert(file.end(), original.end() - 769, original.end());
    return file;
}

// The real PCX layout, not a row rule of width bytes: every plane's row is
// decoded to bytes-per-line, which writers may pad beyond the width (the
// format asks for an even count), so that the padding of one plane is never
// taken for the next plane's pixels. ImageMagick's 37-pixel-wide file, with
// 37 bytes a line, and the same picture with rows padded to 38 both decode
// exactly as ImageMagick reads them; 24-bit single-plane files and rows
// shorter than the width are declined.
TEST_F(ReadersTest, OddWidthPcxKeepsEachPlanesPadding) {
    PcxReader reader;
    const std::string path = Make({"odd.pcx", "-type TrueColor", 0});
    const std::vector<uint8_t> bytes = ReadAll(path);
    ASSERT_EQ(bytes[65], 3);                     // three planes
    ASSERT_EQ(bytes[66] | bytes[67] << 8, 37);  // bytes per line: the odd width
    ExpectDecodes(reader, path, 0, kExact);

    int width = 0, height = 0;
    const std::vector<uint8_t> rgb = MagickRgb(path, &width, &height);
    ASSERT_EQ(width, 37);
    WriteAll(Work("padded.pcx"), PaddedPcx(bytes, rgb.data(), 3, width, height, 38));
    ExpectDecodes(reader, Work("padded.pcx"), 0, kExact);
    RasterImage image;
    ASSERT_TRUE(reader.Probe(Work("padded.pcx").c_str(), &image, nullptr));
    ASSERT_TRUE(reader.Decode());
    EXPECT_EQ(ImageRgb(image), rgb);

    // The same for 8-bit palette files, whose rows the row rule would cut
    // at the width, one byte short of where the next row starts.
    const std::string palette = Make({"odd-palette.pcx", "-type Palette", 0});
    const std::vector<uint8_t> paletteBytes = ReadAll(palette);
    ASSERT_TRUE(reader.Probe(palette.c_str(), &image, nullptr));
    ASSERT_TRUE(reader.Decode());
    const std::vector<uint8_t> paletteRgb = ImageRgb(image);
    WriteAll(Work("padded-palette.pcx"),
             PaddedPcx(paletteBytes, image.pixels(), 1, width, height, 38));
    ExpectDecodes(reader, Work("padded-palette.pcx"), 0, kExact);
    ASSERT_TRUE(reader.Probe(Work("padded-palette.pcx").c_str(), &image, nullptr));
    ASSERT_TRUE(reader.Decode());
    EXPECT_EQ(ImageRgb(image), paletteRgb);

    std::vector<uint8_t> single = bytes;
    single[3] = 24, single[65] = 1;
    WriteAll(Work("single-plane.pcx"), single);
    EXPECT_FALSE(reader.Probe(Work("single-plane.pcx").c_str(), &image, nullptr));
    std::vector<uint8_t> narrow = bytes;
    narrow[66] = 36, narrow[67] = 0;
    WriteAll(Work("narrow.pcx"), narrow);
    EXPECT_FALSE(reader.Probe(Work("narrow.pcx").c_str(), &image, nullptr));
}

TEST_F(ReadersTest, Tiff) {
    TiffReader reader;
    Check(reader,
          {{"rgb.tif", "-type TrueColor -compress None", KIND_TIFF_RGB},
           {"rgb-lzw.tif", "-type TrueColor -compress LZW", KIND_TIFF_RGB},
           {"gray.tif", "-colorspace Gray -compress None", KIND_TIFF_RGB},
           {"gray-zip.tif", "-colorspace Gray -compress Zip", KIND_TIFF_RGB},
           // Palette entries are 16-bit: libtiff narrows them by truncation,
           // ImageMagick by rounding, so levels may differ by one.
           {"palette.tif", "-type Palette -compress None", KIND_TIFF_RGB, 48.0},
           {"palette-lzw.tif", "-type Palette -compress LZW", KIND_TIFF_RGB, 48.0}},
          kExact);
}

TEST_F(ReadersTest, Png) {
    PngReader reader;
    Check(
        reader,
        {{"gray1.png", "-colorspace Gray -depth 1 -define png:color-type=0 -define png:bit-depth=1",
          KIND_PNG_GRAY},
         {"gray2.png", "-colorspace Gray -depth 2 -define png:color-type=0 -define png:bit-depth=2",
          KIND_PNG_GRAY},
         {"gray4.png", "-colorspace Gray -depth 4 -define png:color-type=0 -define png:bit-depth=4",
          KIND_PNG_GRAY},
         {"gray8.png", "-colorspace Gray -define png:color-type=0 -define png:bit-depth=8",
          KIND_PNG_GRAY},
         {"gray-alpha.png",
          "-colorspace Gray -alpha set -channel A -evaluate set 40% +channel "
          "-define png:color-type=4",
          KIND_PNG_GRAY},
         {"palette.png", "PNG8:", KIND_PNG_PALETTE},
         {"rgb.png", "PNG24:", KIND_PNG_RGB},
         {"rgba.png", "-alpha set -channel A -evaluate set 50% +channel PNG32:", KIND_PNG_RGBA},
         {"interlaced.png", "-interlace PNG PNG24:", KIND_PNG_RGB},
         {"sixteen.png", "PNG48:", kDeclined}},
        kExact);
}

TEST_F(ReadersTest, Jpeg) {
    JpegReader reader;
    Check(reader,
          {{"colour.jpg", "-quality 90", KIND_JPEG_COLOUR},
           {"gray.jpg", "-colorspace Gray", KIND_JPEG_GRAY},
           {"progressive.jpg", "-interlace JPEG", KIND_JPEG_COLOUR},
           {"cmyk.jpg", "-colorspace CMYK", kDeclined}},
          kJpegPsnr);
}

TEST_F(ReadersTest, PhotoCd) {
    // ImageMagick writes the three base resolutions of an image pack; real
    // packs go on to larger ones, so the file is padded to the pack size the
    // reader insists on.
    const std::string pcd = Work("pack.pcd");
    ASSERT_TRUE(Magick("-seed 3 -size 768x512 plasma:fractal -depth 8 " + pcd));
    ASSERT_EQ(truncate(pcd.c_str(), PhotoCdReader::kMinimumFileSize), 0);

    PhotoCdReader reader;
    RasterImage image;
    ASSERT_TRUE(reader.Probe(pcd.c_str(), &image, nullptr));
    EXPECT_EQ(reader.kind(), KIND_PHOTOCD_BASE);
    ASSERT_TRUE(reader.Decode());
    ASSERT_EQ(image.width(), 768);
    ASSERT_EQ(image.height(), 512);
    // ImageMagick folds Kodak's luma gain of 1.3584 into a display tone curve;
    // undoing that gain makes the two decodes comparable.
    std::vector<uint8_t> reference = MagickRgb(pcd);
    for (uint8_t& v : reference)
        v = uint8_t(std::min(255.0, std::floor(v * 1.3584)));
    EXPECT_GE(Psnr(ImageRgb(image), reference), 30.0);

    // The loader reaches it only after every signature-checked reader declined.
    RasterImage loaded;
    EXPECT_EQ(LoadAnyImage(pcd.c_str(), loaded), 1);
    EXPECT_EQ(ImageRgb(loaded), ImageRgb(image));

    // Smaller resolutions read their own offsets.
    PhotoCdReader small(PhotoCdReader::kBase16);
    ASSERT_TRUE(small.Probe(pcd.c_str(), &image, nullptr));
    EXPECT_EQ(small.kind(), KIND_PHOTOCD_BASE16);
    ASSERT_TRUE(small.Decode());
    EXPECT_EQ(image.width(), 192);
}

TEST(PhotoYcc, NeutralChromaGivesGrayAndExtremesClamp) {
    uint8_t rgb[3];
    PhotoYccToRgb(100, 0, 0, rgb);  // 1.3584 * 100
    EXPECT_EQ(rgb[0], 135);
    EXPECT_EQ(rgb[1], 135);
    EXPECT_EQ(rgb[2], 135);
    PhotoYccToRgb(255, 99, 118, rgb);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[2], 255);
    PhotoYccToRgb(0, -156, -137, rgb);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[2], 0);
}

}  // namespace
}  // namespace imageconv_test
