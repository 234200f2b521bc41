// Every loader against files ImageMagick wrote, compared pixel for pixel
// with ImageMagick's own decode of the same file.
#include <cstring>
#include <memory>

#include "corelib/pictures/display_picture.h"
#include "corelib/pictures/load_picture.h"
#include "corelib/pictures/picture_hooks.h"
#include "picture_test_support.h"
#include "platform/kernel/kernel.h"

namespace pictures_test {
namespace {

using namespace corelib;

struct RecordDeleter {
    void operator()(PictureRecord* record) const { ReleasePicture(record); }
};
using Record = std::unique_ptr<PictureRecord, RecordDeleter>;

// A record's B,G,R rows (bottom row first) as R,G,B top row first.
std::vector<uint8_t> RgbOfBottomUpBgr(const PictureRecord& r) {
    std::vector<uint8_t> rgb;
    for (int y = r.height - 1; y >= 0; --y) {
        const uint8_t* row = r.pixels + size_t(y) * r.width * 3;
        for (int x = 0; x < r.width; ++x)
            rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
    return rgb;
}

// Bitmap of a record as the screen would get it.
std::vector<uint8_t> DisplayedRgb(const PictureRecord* record, platform::COLORREF background) {
    platform::HDC screen = platform::CreateCompatibleDC(nullptr);
    DisplayPicture display;
    std::vector<uint8_t> rgb;
    if (MakeDisplayPicture(PictureTarget{screen, nullptr}, record, &display, background))
        rgb = BitmapRgb(display.bitmap);
    DeleteDisplayPicture(&display);
    platform::DeleteDC(screen);
    return rgb;
}

class LoadersTest : public PictureTest {
protected:
    void SetUp() override {
        PictureTest::SetUp();
        source_ = Work("source.png");
        // Odd sizes exercise row padding everywhere.
        ASSERT_TRUE(Magick("-seed 7 -size 37x29 plasma:fractal -depth 8 " + source_));
    }
    std::string Make(const std::string& name, const std::string& args) {
        const std::string path = Work(name);
        // A trailing "FORMAT:" prefixes the output name.
        const char* gap = (!args.empty() && args.back() == ':') ? "" : " ";
        EXPECT_TRUE(Magick(source_ + " " + args + gap + path)) << name;
        return path;
    }
    Record Load(const std::string& path) { return Record(LoadPictureFile(path.c_str())); }

    std::string source_;
};

TEST_F(LoadersTest, JpegColourAndGreyDecodeAsImageMagickDoes) {
    for (const char* args : {"-quality 90", "-colorspace Gray -quality 80",
                             "-sampling-factor 2x2 -quality 75", "-interlace JPEG -quality 85"}) {
        SCOPED_TRACE(args);
        const std::string path = Make("picture.jpg", args);
        Record record = Load(path);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->kind, PICTURE_JPEG);
        ASSERT_EQ(record->width, 37);
        ASSERT_EQ(record->height, 29);
        EXPECT_EQ(record->size, 37u * 29 * 3);
        EXPECT_EQ(RgbOfBottomUpBgr(*record), MagickPixels(path, "rgb", nullptr, nullptr));
    }
}

TEST_F(LoadersTest, AThreeByOneJpegHoldsNineBytesInBlueGreenRedOrder) {
    const std::string path = Work("tiny.jpg");
    ASSERT_TRUE(Magick("-size 3x1 xc:'rgb(200,40,10)' -quality 100 " + path));
    const std::vector<uint8_t> bytes = ReadAll(path);
    Record record(LoadPictureMemory(bytes.data(), bytes.size()));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->size, 9u);
    const std::vector<uint8_t> rgb = MagickPixels(path, "rgb", nullptr, nullptr);
    ASSERT_EQ(rgb.size(), 9u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(record->pixels[3 * i], rgb[3 * i + 2]);
        EXPECT_EQ(record->pixels[3 * i + 1], rgb[3 * i + 1]);
        EXPECT_EQ(record->pixels[3 * i + 2], rgb[3 * i]);
    }
}

TEST_F(LoadersTest, BmpOfEveryDepthAndHeaderKind) {
    const char* const variants[] = {
        "-type truecolor bmp3:",                           // 24 bits, 40-byte header
        "-type truecolor bmp:",                            // 24 bits, 124-byte header
        "-type palette -colors 200 -compress none bmp3:",  // 8 bits
        "-type palette -colors 16 -compress none bmp3:",   // 4 bits
        "-type palette -colors 11 -compress none bmp:",    // 4 bits, fewer colours used
        "-monochrome bmp3:",                               // 1 bit
    };
    for (const char* args : variants) {
        SCOPED_TRACE(args);
        const std::string path = Work("picture.bmp");
        ASSERT_TRUE(Magick(source_ + " " + args + path));
        Record record = Load(path);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->kind, PICTURE_BMP);
        EXPECT_EQ(record->size, 37u * 29 * 3);
        EXPECT_EQ(RgbOfBottomUpBgr(*record), MagickPixels(path, "rgb", nullptr, nullptr));
        EXPECT_EQ(DisplayedRgb(record.get(), 0), MagickPixels(path, "rgb", nullptr, nullptr));
    }
}

TEST_F(LoadersTest, ATopDownBmpKeepsItsRowOrder) {
    const std::string path = Make("bottom-up.bmp", "-type truecolor bmp3:");
    std::vector<uint8_t> bytes = ReadAll(path);
    const uint32_t offset = bytes[10] | (bytes[11] << 8);
    const size_t rowBytes = (37 * 3 + 3) & ~3;
    std::vector<uint8_t> flipped(bytes.begin(), bytes.begin() + offset);
    for (int row = 28; row >= 0; --row) {
        auto start = bytes.begin() + offset + row * rowBytes;
        flipped.insert(flipped.end(), start, start + rowBytes);
    }
    const int32_t negative = -29;
    std::memcpy(&flipped[22], &negative, 4);
    Record record(LoadPictureMemory(flipped.data(), flipped.size()));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(RgbOfBottomUpBgr(*record), MagickPixels(path, "rgb", nullptr, nullptr));
}

TEST_F(LoadersTest, DamagedOrCompressedBmpsAreRefusedWithoutPixels) {
    // Run-length compressed rows are not read.
    const std::string rle = Make("rle.bmp", "-type palette -colors 200 bmp3:");
    ASSERT_EQ(ReadAll(rle)[30], 1);
    EXPECT_EQ(LoadPictureFile(rle.c_str()), nullptr);
    const std::vector<uint8_t> good = ReadAll(Make("good.bmp", "-type truecolor bmp3:"));
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_EQ(LoadPictureMemory(cut.data(), cut.size()), nullptr);
    std::vector<uint8_t> compressed = good;
    compressed[30] = 1;
    EXPECT_EQ(LoadPictureMemory(compressed.data(), compressed.size()), nullptr);
    std::vector<uint8_t> sixteen = good;
    sixteen[28] = 16;
    EXPECT_EQ(LoadPictureMemory(sixteen.data(), sixteen.size()), nullptr);
    // A header that claims 60000 x 60000 pixels in a file of 3 kB.
    std::vector<uint8_t> huge = good;
    const int32_t side = 60000;
    std::memcpy(&huge[18], &side, 4);
    std::memcpy(&huge[22], &side, 4);
    EXPECT_EQ(LoadPictureMemory(huge.data(), huge.size()), nullptr);
}

TEST_F(LoadersTest, PngWithAlphaKeepsItsChannelsAndBlendsOverTheBackground) {
    const std::string path = Work("alpha.png");
    // Alpha runs across the picture from 0 to 255, both ends included.
    ASSERT_TRUE(Magick(source_ +
                       " \\( -size 29x37 gradient:black-white -rotate 90 \\) "
                       "-alpha off -compose CopyOpacity -composite PNG32:" +
                       path));
    Record record = Load(path);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, PICTURE_PNG);
    ASSERT_EQ(record->size, 37u * 29 * 4);
    const std::vector<uint8_t> rgba = MagickPixels(path, "rgba", nullptr, nullptr);
    ASSERT_EQ(rgba.size(), record->size);
    bool sawClear = false, sawOpaque = false;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        ASSERT_EQ(record->pixels[i], rgba[i + 2]) << i;
        ASSERT_EQ(record->pixels[i + 1], rgba[i + 1]) << i;
        ASSERT_EQ(record->pixels[i + 2], rgba[i]) << i;
        ASSERT_EQ(record->pixels[i + 3], rgba[i + 3]) << i;
        sawClear |= rgba[i + 3] == 0;
        sawOpaque |= rgba[i + 3] == 255;
    }
    ASSERT_TRUE(sawClear && sawOpaque);

    const platform::COLORREF background = platform::RGB(12, 34, 56);
    const std::vector<uint8_t> shown = DisplayedRgb(record.get(), background);
    ASSERT_EQ(shown.size(), size_t(37 * 29 * 3));
    for (size_t p = 0; p < size_t(37 * 29); ++p) {
        const uint8_t* in = &rgba[4 * p];
        const uint32_t a = in[3];
        const uint8_t behind[3] = {12, 34, 56};
        for (int c = 0; c < 3; ++c) {
            const uint32_t expected = (in[c] * a + behind[c] * (255 - a)) / 255;
            ASSERT_EQ(shown[3 * p + c], expected) << "pixel " << p << " alpha " << a;
        }
        if (a == 0) {
            ASSERT_EQ(shown[3 * p], 12);
            ASSERT_EQ(shown[3 * p + 1], 34);
            ASSERT_EQ(shown[3 * p + 2], 56);
        }
    }
}

TEST_F(LoadersTest, PcxEightBitDecodesAsImageMagickDoes) {
    const std::string path = Make("picture.pcx", "-type palette -colors 200");
    Record record = Load(path);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, PICTURE_PCX8);
    // Rows of 37 pixels padded to 40, after the 1064-byte header and table.
    EXPECT_EQ(record->size, 40u * 29 + 1064);
    int32_t height;
    std::memcpy(&height, record->pixels + 8, 4);
    EXPECT_EQ(height, -29);
    EXPECT_EQ(DisplayedRgb(record.get(), 0), MagickPixels(path, "rgb", nullptr, nullptr));
}

TEST_F(LoadersTest, PcxOneBitDecodesAsImageMagickDoes) {
    // ImageMagick writes a 1-bit PCX from a 1-bit picture, as version 5;
    // the version byte is set to 3, the one 1-bit files are recognised by.
    const std::string mono = Make("mono.bmp", "-monochrome");
    const std::string path = Work("mono.pcx");
    ASSERT_TRUE(Magick(mono + " " + path));
    std::vector<uint8_t> bytes = ReadAll(path);
    ASSERT_EQ(bytes[3], 1);
    bytes[1] = 3;
    Record record(LoadPictureMemory(bytes.data(), bytes.size()));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, PICTURE_PCX1);
    // ceil(37 / 8) = 5 bytes, rounded up to an even 6.
    EXPECT_EQ(record->size, 6u * 29);
    EXPECT_EQ(DisplayedRgb(record.get(), 0), MagickPixels(path, "rgb", nullptr, nullptr));
}

TEST_F(LoadersTest, DamagedPcxIsRefused) {
    const std::vector<uint8_t> good = ReadAll(Make("good.pcx", "-type palette -colors 200"));
    // The image data cut short.
    std::vector<uint8_t> cut(good.begin(), good.begin() + 300);
    EXPECT_EQ(LoadPictureMemory(cut.data(), cut.size()), nullptr);
    // 65535 rows of 65535 bytes declared in a file of a few kB.
    std::vector<uint8_t> huge = good;
    huge[8] = huge[9] = huge[10] = huge[11] = 0xFF;
    huge[66] = huge[67] = 0xFF;
    EXPECT_EQ(LoadPictureMemory(huge.data(), huge.size()), nullptr);
    std::vector<uint8_t> planes = good;
    planes[65] = 3;
    EXPECT_EQ(LoadPictureMemory(planes.data(), planes.size()), nullptr);
}

TEST_F(LoadersTest, IconsTakeTheThirtyTwoPixelImage) {
    // Three sizes, each with see-through pixels in its first five columns.
    std::string sizes;
    for (int side : {48, 32, 16}) {
        const std::string image = Work("side" + std::to_string(side) + ".png");
        ASSERT_TRUE(Magick(source_ + " -resize " + std::to_string(side) + "x" +
                           std::to_string(side) + "! -alpha set -channel A -fx 'i<5?0:1' " +
                           "+channel PNG32:" + image));
        sizes += image + " ";
    }
    const std::string path = Work("sizes.ico");
    ASSERT_TRUE(Magick(sizes + path));
    Record record = Load(path);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, PICTURE_ICO);
    EXPECT_EQ(record->width, 32);
    EXPECT_EQ(record->height, 32);
    EXPECT_NE(record->icon, nullptr);
    EXPECT_EQ(record->pixels, nullptr);
    // Drawn over white, as the notification interface hands icons out.
    const std::vector<uint8_t> bytes = ReadAll(path);
    platform::HBITMAP bitmap = PictureToBitmap(bytes.data(), uint32_t(bytes.size()), 0);
    ASSERT_NE(bitmap, nullptr);
    int w = 0, h = 0;
    const std::vector<uint8_t> shown = BitmapRgb(bitmap, &w, &h);
    platform::DeleteObject(bitmap);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 32);
    const std::string flat = Work("flat.png");
    ASSERT_TRUE(Magick(path + "[1] -background white -alpha remove " + flat));
    EXPECT_EQ(shown, MagickPixels(flat, "rgb", nullptr, nullptr));
}

TEST_F(LoadersTest, AnIconOfOnlyEightPixelImagesUsesItsLast) {
    const std::string path = Work("eights.ico");
    ASSERT_TRUE(Magick("-size 8x8 xc:red -size 8x8 xc:blue " + path));
    Record record = Load(path);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->width, 8);
    const std::vector<uint8_t> bytes = ReadAll(path);
    platform::HBITMAP bitmap = PictureToBitmap(bytes.data(), uint32_t(bytes.size()), 0);
    const std::vector<uint8_t> shown = BitmapRgb(bitmap);
    platform::DeleteObject(bitmap);
    ASSERT_EQ(shown.size(), 8u * 8 * 3);
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[1], 0);
    EXPECT_EQ(shown[2], 255);
}

TEST_F(LoadersTest, ACursorIsKindFour) {
    // ImageMagick writes icon files; a cursor file differs in the type word
    // and in the entries' hot spot words.
    const std::string path = Work("pointer.ico");
    ASSERT_TRUE(Magick(source_ + " -resize 32x32! " + path));
    std::vector<uint8_t> bytes = ReadAll(path);
    bytes[2] = 2;
    bytes[10] = 3;  // hot spot (3, 5)
    bytes[11] = 0;
    bytes[12] = 5;
    bytes[13] = 0;
    Record record(LoadPictureMemory(bytes.data(), bytes.size()));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, PICTURE_CUR);
    EXPECT_EQ(record->width, 32);
    platform::HBITMAP bitmap = PictureToBitmap(bytes.data(), uint32_t(bytes.size()), 0);
    const std::vector<uint8_t> shown = BitmapRgb(bitmap);
    platform::DeleteObject(bitmap);
    const std::string flat = Work("flat.png");
    ASSERT_TRUE(Magick(path + " -background white -alpha remove " + flat));
    EXPECT_EQ(shown, MagickPixels(flat, "rgb", nullptr, nullptr));
}

TEST_F(LoadersTest, AGifRecordIsThePackedFirstImageAtScreenSize) {
    const std::string path = Make("picture.gif", "-colors 64");
    Record record = Load(path);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, PICTURE_GIF);
    EXPECT_EQ(record->width, 37);
    EXPECT_EQ(record->height, 29);
    // 29 rows of 40 bytes, plus header, table and the decoder's work area.
    EXPECT_EQ(record->size, 40u * 29 + 25640);
    EXPECT_EQ(DisplayedRgb(record.get(), 0), MagickPixels(path, "rgb", nullptr, nullptr));
}

TEST_F(LoadersTest, StreamsAreReadFromTheStart) {
    const std::vector<uint8_t> bytes = ReadAll(Make("picture.png", "PNG24:"));
    namespace kernel = platform::kernel;
    kernel::MemoryHandle block = kernel::GlobalAlloc(kernel::kMemMoveable, bytes.size());
    std::memcpy(kernel::GlobalLock(block), bytes.data(), bytes.size());
    kernel::GlobalUnlock(block);
    PlatformStream* stream = nullptr;
    ASSERT_EQ(kernel::CreateStreamOnGlobal(block, true, &stream), 0);
    uint8_t skip[5];
    stream->methods->read(stream, skip, sizeof skip, nullptr);
    Record record(LoadPictureStream(stream));
    stream->methods->release(stream);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, PICTURE_PNG);
    EXPECT_EQ(record->width, 37);
}

}  // namespace
}  // namespace pictures_test
