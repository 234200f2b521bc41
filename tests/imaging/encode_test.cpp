// What the encoders write must read back as the same picture, both here and
// in ImageMagick.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/imaging/codecs.h"
#include "platform/imaging/imaging.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

std::unique_ptr<Image> Pattern(PixelLayout layout, uint32_t width = 61, uint32_t height = 29) {
    auto image = Image::Create(width, height, layout);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* p = image->row(y);
        for (uint32_t x = 0; x < width; ++x, p += image->bytesPerPixel()) {
            p[0] = uint8_t(x * 4), p[1] = uint8_t(y * 8), p[2] = uint8_t((x * y) ^ 0x5A);
            if (image->hasAlpha())
                p[3] = uint8_t((x * 255) / (width - 1));
        }
    }
    return image;
}

struct Lossless {
    const char* name;
    bool (*encode)(const Image&, Output&);
    const char* suffix;
};

const Lossless kLossless[] = {
    {"png", EncodePng, ".png"},
    {"tiff", EncodeTiff, ".tif"},
    {"bmp", EncodeBmp, ".bmp"},
};

TEST(Encoders, LosslessFormatsReadBackExactlyHereAndInImageMagick) {
    for (const Lossless& format : kLossless) {
        for (PixelLayout layout : {PixelLayout::Bgr24, PixelLayout::Bgra32}) {
            SCOPED_TRACE(std::string(format.name) +
                         (layout == PixelLayout::Bgra32 ? " alpha" : ""));
            auto image = Pattern(layout);
            Output out;
            ASSERT_TRUE(format.encode(*image, out));
            auto back = DecodeAny({out.data(), out.size()});
            ASSERT_TRUE(back);
            EXPECT_EQ(back->hasAlpha(), image->hasAlpha());
            EXPECT_EQ(Rgba(*back), Rgba(*image));
            if (HaveImageMagick()) {
                auto path = ScratchFolder() / (std::string("out") + format.suffix);
                WriteFile(path, out);
                EXPECT_EQ(MagickRgba(path), Rgba(*image));
            }
        }
    }
}

// A smooth picture, the kind JPEG is for.
std::unique_ptr<Image> Smooth(PixelLayout layout) {
    auto image = Image::Create(160, 120, layout);
    for (uint32_t y = 0; y < 120; ++y) {
        uint8_t* p = image->row(y);
        for (uint32_t x = 0; x < 160; ++x, p += image->bytesPerPixel()) {
            p[0] = uint8_t(x), p[1] = uint8_t(y * 2), p[2] = uint8_t(255 - x);
            if (image->hasAlpha())
                p[3] = uint8_t(x);
        }
    }
    return image;
}

TEST(Encoders, JpegQualityShapesTheOutputAndMaximumQualityStaysClose) {
    auto image = Smooth(PixelLayout::Bgr24);
    Output best, worst;
    ASSERT_TRUE(EncodeJpeg(*image, 100, best));
    ASSERT_TRUE(EncodeJpeg(*image, 0, worst));
    EXPECT_LT(worst.size(), best.size());
    auto back = DecodeAny({best.data(), best.size()});
    ASSERT_TRUE(back);
    EXPECT_GT(Psnr(Rgba(*back), Rgba(*image)), 40.0);
    // An alpha channel is left out of JPEG, not folded into the colour.
    auto alpha = Smooth(PixelLayout::Bgra32);
    Output fromAlpha;
    ASSERT_TRUE(EncodeJpeg(*alpha, 100, fromAlpha));
    EXPECT_EQ(fromAlpha, best);
}

TEST(Encoders, PngLeavesOutAnAlphaChannelThatIsOpaqueEverywhere) {
    auto image = Pattern(PixelLayout::Bgra32);
    for (uint32_t y = 0; y < image->height(); ++y) {
        for (uint32_t x = 0; x < image->width(); ++x)
            image->row(y)[x * 4 + 3] = 255;
    }
    Output out;
    ASSERT_TRUE(EncodePng(*image, out));
    auto back = DecodeAny({out.data(), out.size()});
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->hasAlpha());
    EXPECT_EQ(Rgba(*back), Rgba(*image));
}

TEST(Encoders, GifKeepsAPictureOfFewColoursExactly) {
    auto image = Image::Create(40, 10, PixelLayout::Bgr24);
    for (uint32_t y = 0; y < 10; ++y) {
        for (uint32_t x = 0; x < 40; ++x) {
            uint8_t* p = image->row(y) + x * 3;
            p[0] = x < 20 ? 255 : 0, p[1] = y < 5 ? 128 : 0, p[2] = 40;
        }
    }
    Output out;
    ASSERT_TRUE(EncodeGif(*image, out));
    auto back = DecodeAny({out.data(), out.size()});
    ASSERT_TRUE(back);
    EXPECT_LE(MaxDifference(Rgba(*back), Rgba(*image)),
              7u);  // the quantiser keeps 5 bits a channel
}

class SaveAndLoad : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Startup(&token_), kOk); }
    void TearDown() override { Shutdown(token_); }
    uintptr_t token_ = 0;
};

std::u16string Wide(const std::filesystem::path& path) {
    std::string s = path.string();
    return std::u16string(s.begin(), s.end());
}

TEST_F(SaveAndLoad, QualityParameterIsReadAndClampedAndAFailedSaveKeepsTheOldFile) {
    auto image = Pattern(PixelLayout::Bgr24, 120, 90);
    auto folder = ScratchFolder();
    auto path = Wide(folder / "q.jpg");
    int32_t quality = 500;
    EncoderParameters parameters{};
    parameters.count = 1;
    parameters.parameter[0] = {kQualityParameter, 1, kParameterTypeLong, &quality};
    ASSERT_EQ(SaveImageToFile(image.get(), path.c_str(), &kJpegEncoder, &parameters), kOk);
    auto clamped = ReadFile(folder / "q.jpg");
    Output at100;
    EncodeJpeg(*image, 100, at100);
    EXPECT_EQ(clamped, at100);

    // An unknown encoder fails and leaves the file as it was, with no
    // temporary file behind.
    ClassId unknown{};
    EXPECT_NE(SaveImageToFile(image.get(), path.c_str(), &unknown, nullptr), kOk);
    EXPECT_EQ(ReadFile(folder / "q.jpg"), clamped);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    auto missing = Wide(folder / "no-such-folder" / "x.png");
    EXPECT_EQ(SaveImageToFile(image.get(), missing.c_str(), &kPngEncoder, nullptr), kFileNotFound);

    Image* loaded = nullptr;
    ASSERT_EQ(LoadImageFromFile(path.c_str(), &loaded), kOk);
    uint32_t width = 0, height = 0;
    EXPECT_EQ(GetImageWidth(loaded, &width), kOk);
    EXPECT_EQ(GetImageHeight(loaded, &height), kOk);
    EXPECT_EQ(width, 120u);
    EXPECT_EQ(height, 90u);
    DisposeImage(loaded);
    EXPECT_EQ(LoadImageFromFile(missing.c_str(), &loaded), kFileNotFound);
    EXPECT_EQ(loaded, nullptr);
}

TEST(ClassIds, ParseTheTextFormAndRefuseAnythingElse) {
    ClassId id;
    EXPECT_EQ(ClassIdFromString(u"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &id), 0u);
    EXPECT_EQ(id, kPngEncoder);
    EXPECT_EQ(ClassIdFromString(u"{1d5be4b5-fa4a-452d-9cdd-5db35105e7eb}", &id), 0u);
    EXPECT_EQ(id, kQualityParameter);
    for (const char16_t* bad :
         {u"", u"557CF406-1A04-11D3-9A73-0000F81EF32E", u"{557CF406-1A04-11D3-9A73-0000F81EF32}",
          u"{557CF406-1A04-11D3-9A73-0000F81EF32G}", u"{557CF406-1A04-11D3-9A73-0000F81EF32E}x"}) {
        EXPECT_EQ(ClassIdFromString(bad, &id), kInvalidClassString);
        EXPECT_EQ(id, ClassId{}) << "a refused text leaves zeros";
    }
}

}  // namespace
}  // namespace platform::imaging
