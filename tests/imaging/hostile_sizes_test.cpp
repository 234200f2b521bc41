// A few bytes must never cost gigabytes: headers that declare huge pictures
// are refused before anything is allocated for them, each with the reason
// that says so, and the reasons of ordinary failures keep the library's own
// words.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"
#include "platform/imaging/imaging.h"
#include "platform/imaging/memory_budget.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

uint32_t Crc32(const uint8_t* bytes, size_t size) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// Decodes and answers the reason of the failure ("" when it loaded).
std::string ReasonOf(const Output& file) {
    ClearFailureReason();
    auto image = DecodeAny({file.data(), file.size()});
    return image ? std::string() : FailureReason();
}

// A small progressive JPEG by ImageMagick whose frame header is changed to
// declare `width` by `height`.
Output ProgressiveJpegDeclaring(uint16_t width, uint16_t height) {
    auto folder = ScratchFolder();
    auto path = folder / "small.jpg";
    EXPECT_TRUE(
        Convert("-size 16x16 plasma:fractal -seed 3 -interlace JPEG '" + path.string() + "'"));
    Output bytes = ReadFile(path);
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC2) {  // SOF2, progressive
            WriteBe16(&bytes[i + 5], height);
            WriteBe16(&bytes[i + 7], width);
            return bytes;
        }
    }
    ADD_FAILURE() << "no progressive frame header";
    return bytes;
}

// An 8-bit run-length bitmap of `width` by `height` whose data is `runs`
// pairs of (255, colour) and the end-of-picture mark.
Output RunLengthBitmap(int32_t width, int32_t height, size_t runs) {
    const uint32_t dataOffset = 14 + 40 + 2 * 4;
    Output bmp(dataOffset, 0);
    bmp[0] = 'B', bmp[1] = 'M';
    WriteLe32(&bmp[10], dataOffset);
    WriteLe32(&bmp[14], 40);
    WriteLe32(&bmp[18], uint32_t(width));
    WriteLe32(&bmp[22], uint32_t(height));
    WriteLe16(&bmp[26], 1);
    WriteLe16(&bmp[28], 8);
    WriteLe32(&bmp[30], 1);  // RLE8
    WriteLe32(&bmp[46], 2);  // two palette entries
    for (size_t i = 0; i < runs; ++i)
        bmp.insert(bmp.end(), {255, uint8_t(i & 1)});
    bmp.insert(bmp.end(), {0, 1});
    WriteLe32(&bmp[2], uint32_t(bmp.size()));
    return bmp;
}

// A GIF of 35 bytes: a `side` by `side` screen with one 1 by 1 frame.
Output GifWithScreen(uint16_t side) {
    Output gif = {'G',  'I', 'F',  '8',  '9', 'a', 0,   0,   0,   0,
                  0x80, 0,   0,    0,    0,   0,   255, 255, 255,     // two-colour table
                  0x2C, 0,   0,    0,    0,   1,   0,   1,   0,   0,  // frame at 0,0 of 1 by 1
                  2,    2,   0x4C, 0x01, 0,                           // LZW data: clear, 0, end
                  0x3B};
    WriteLe16(&gif[6], side);
    WriteLe16(&gif[8], side);
    return gif;
}

TEST(HostileSizes, AProgressiveJpegDeclaringGigapixelsIsRefusedBeforeDecoding) {
    if (!HaveImageMagick())
        GTEST_SKIP() << "ImageMagick is not installed";
    const Output huge = ProgressiveJpegDeclaring(60000, 60000);
    EXPECT_EQ(ReasonOf(huge), "the picture declares 60000 x 60000 pixels, more than 268435456");
    // Within the largest size, but far more than its bytes can code.
    const Output large = ProgressiveJpegDeclaring(8000, 8000);
    EXPECT_EQ(ReasonOf(large), "the picture declares 8000 x 8000 pixels, more than " +
                                   std::to_string(large.size()) + " bytes can hold");
    EXPECT_EQ(MemoryBudgetNow().reserved, 0u);
}

TEST(HostileSizes, ARunLengthBitmapOfMillionsOfRowsIsRefusedBeforeFillingThem) {
    const Output bmp = RunLengthBitmap(16, 16776972, 525);
    ASSERT_EQ(bmp.size(), 1114u);
    EXPECT_EQ(ReasonOf(bmp),
              "the picture declares 16 x 16776972 pixels, wider or taller than "
              "65535");
    const Output square = RunLengthBitmap(4096, 8192, 525);
    EXPECT_EQ(ReasonOf(square),
              "the picture declares 4096 x 8192 pixels, more than 1114 bytes "
              "can hold");
    // The same runs for a picture they can fill decode.
    const Output small = RunLengthBitmap(255, 525, 525);
    auto image = DecodeAny({small.data(), small.size()});
    ASSERT_TRUE(image) << FailureReason();
    EXPECT_EQ(image->width(), 255u);
}

TEST(HostileSizes, AGifScreenLargerThanItsBytesCanCodeIsRefused) {
    const Output huge = GifWithScreen(16384);
    ASSERT_EQ(huge.size(), 35u);
    EXPECT_EQ(ReasonOf(huge),
              "the picture declares 16384 x 16384 pixels, more than 35 bytes "
              "can hold");
    const Output small = GifWithScreen(4096);  // 16 MP: any file may declare that
    auto image = DecodeAny({small.data(), small.size()});
    ASSERT_TRUE(image) << FailureReason();
    EXPECT_EQ(image->width(), 4096u);
    EXPECT_EQ(image->row(0)[3], 255);  // the frame's pixel
    EXPECT_EQ(image->row(1)[3], 0);    // the screen beyond it is clear
}

TEST(HostileSizes, PngAndTiffHeadersBeyondTheLimitsAreRefused) {
    auto picture = Image::Create(4, 4, PixelLayout::Bgr24);
    for (uint32_t y = 0; y < 4; ++y)
        std::memset(picture->row(y), 0x40, picture->stride());
    Output png;
    ASSERT_TRUE(EncodePng(*picture, png));
    WriteBe32(&png[16], 40000);  // IHDR width and height, then its CRC
    WriteBe32(&png[20], 40000);
    WriteBe32(&png[29], Crc32(&png[12], 17));
    EXPECT_EQ(ReasonOf(png), "the picture declares 40000 x 40000 pixels, more than 268435456");

    Output tiff;
    ASSERT_TRUE(EncodeTiff(*picture, tiff));
    // The first directory's ImageWidth and ImageLength become 30000.
    const uint32_t directory = ReadLe32(&tiff[4]);
    const uint16_t entries = ReadLe16(&tiff[directory]);
    for (uint16_t i = 0; i < entries; ++i) {
        uint8_t* entry = &tiff[directory + 2 + 12 * i];
        if (ReadLe16(entry) == 256 || ReadLe16(entry) == 257)
            WriteLe32(entry + 8, 5000);
    }
    EXPECT_EQ(ReasonOf(tiff), "the picture declares 5000 x 5000 pixels, more than " +
                                  std::to_string(tiff.size()) + " bytes can hold");
}

TEST(FailureReasons, KeepTheLibrarysOwnWords) {
    auto picture = Image::Create(64, 48, PixelLayout::Bgr24);
    for (uint32_t y = 0; y < 48; ++y)
        std::memset(picture->row(y), int(y * 5), picture->stride());
    Output jpeg, png;
    ASSERT_TRUE(EncodeJpeg(*picture, 90, jpeg));
    ASSERT_TRUE(EncodePng(*picture, png));
    jpeg.resize(jpeg.size() / 2);
    png.resize(png.size() - 20);
    EXPECT_EQ(ReasonOf(jpeg), "Premature end of JPEG file");
    EXPECT_EQ(ReasonOf(png), "the PNG data ends early");
    EXPECT_EQ(ReasonOf({}), "the file is empty");
    EXPECT_EQ(ReasonOf({'h', 'e', 'l', 'l', 'o'}),
              "the file is in no picture format this program reads");
}

TEST(FailureReasons, TravelThroughTheInterfaceAndClearOnSuccess) {
    uintptr_t token = 0;
    ASSERT_EQ(Startup(&token), kOk);
    auto folder = ScratchFolder();
    auto missing = (folder / "missing.png").string();
    std::u16string wide(missing.begin(), missing.end());
    Image* image = nullptr;
    EXPECT_EQ(LoadImageFromFile(wide.c_str(), &image), kFileNotFound);
    EXPECT_EQ(LastFailureReason(), "cannot open the file: No such file or directory");

    auto picture = Image::Create(2, 2, PixelLayout::Bgr24);
    auto target = (folder / "no-such-folder" / "out.png").string();
    std::u16string wideTarget(target.begin(), target.end());
    EXPECT_EQ(SaveImageToFile(picture.get(), wideTarget.c_str(), &kPngEncoder, nullptr),
              kFileNotFound);
    EXPECT_EQ(LastFailureReason(), "cannot create a file in " +
                                       (folder / "no-such-folder/").string() +
                                       ": No such file or directory");

    auto good = (folder / "out.png").string();
    std::u16string wideGood(good.begin(), good.end());
    EXPECT_EQ(SaveImageToFile(picture.get(), wideGood.c_str(), &kPngEncoder, nullptr), kOk);
    EXPECT_EQ(LastFailureReason(), "");
    Shutdown(token);
}

}  // namespace
}  // namespace platform::imaging
