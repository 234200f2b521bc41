// Truncated and damaged files must fail to load, never crash or leak (this
// suite is meant to run under AddressSanitizer too).
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"
#include "platform/imaging/imaging.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

struct Sample {
    const char* name;
    Output bytes;
};

std::vector<Sample> Samples() {
    auto image = Image::Create(48, 40, PixelLayout::Bgra32);
    for (uint32_t y = 0; y < 40; ++y) {
        for (uint32_t x = 0; x < 48; ++x) {
            uint8_t* p = image->row(y) + x * 4;
            p[0] = uint8_t(x * 5), p[1] = uint8_t(y * 6), p[2] = uint8_t(x ^ y),
            p[3] = uint8_t(200 + x);
        }
    }
    std::vector<Sample> samples = {
        {"png", {}}, {"jpeg", {}}, {"tiff", {}}, {"bmp", {}}, {"gif", {}}};
    EncodePng(*image, samples[0].bytes);
    EncodeJpeg(*image, 90, samples[1].bytes);
    EncodeTiff(*image, samples[2].bytes);
    EncodeBmp(*image, samples[3].bytes);
    EncodeGif(*image, samples[4].bytes);
    if (HaveImageMagick()) {
        auto folder = ScratchFolder();
        auto png = folder / "in.png";
        WriteFile(png, samples[0].bytes);
        for (const char* target : {"a.ico", "BMP3:rle.bmp"}) {
            std::string t = target;
            bool rle = t.rfind("BMP3:", 0) == 0;
            auto path = folder / (rle ? "rle.bmp" : t);
            if (Convert("'" + png.string() + "' " +
                        (rle ? "-alpha off -colors 100 -compress rle BMP3:" : "") + "'" +
                        path.string() + "'")) {
                samples.push_back({rle ? "bmp_rle" : "ico", ReadFile(path)});
            }
        }
    }
    return samples;
}

TEST(BadInput, EveryTruncationFailsCleanly) {
    for (const Sample& sample : Samples()) {
        ASSERT_TRUE(DecodeAny({sample.bytes.data(), sample.bytes.size()})) << sample.name;
        // Cut at many points, densely near the start where the headers are.
        for (size_t cut = 0; cut < sample.bytes.size();
             cut += cut < 200 ? 1 : sample.bytes.size() / 50 + 1) {
            auto image = DecodeAny({sample.bytes.data(), cut});
            EXPECT_FALSE(image) << sample.name << " cut at " << cut << " of "
                                << sample.bytes.size();
        }
    }
}

TEST(BadInput, DamagedBytesNeverCrash) {
    std::mt19937 random(1234);
    for (const Sample& sample : Samples()) {
        for (int round = 0; round < 150; ++round) {
            Output damaged = sample.bytes;
            for (int k = 0; k < 4; ++k) {
                damaged[random() % damaged.size()] = uint8_t(random());
            }
            // Loading may succeed (a flipped colour byte is still a picture) but
            // must stay inside the buffer and hand back a whole image; a
            // failure always says why.
            ClearFailureReason();
            auto image = DecodeAny({damaged.data(), damaged.size()});
            if (image) {
                EXPECT_GT(image->width() * image->height(), 0u);
                EXPECT_EQ(FailureReason(), "") << sample.name;
            } else {
                EXPECT_NE(FailureReason(), "") << sample.name;
            }
        }
    }
}

TEST(BadInput, HeadersAskingForHugePicturesAreRefusedBeforeAllocating) {
    // A BMP header claiming 100000 x 100000 pixels with no pixel data.
    Output bmp(54, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40;
    uint32_t side = 100000;
    std::memcpy(&bmp[18], &side, 4);
    std::memcpy(&bmp[22], &side, 4);
    bmp[26] = 1, bmp[28] = 24;
    ClearFailureReason();
    EXPECT_FALSE(DecodeAny({bmp.data(), bmp.size()}));
    EXPECT_EQ(FailureReason(),
              "the picture declares 100000 x 100000 pixels, wider or taller "
              "than 65535");
}

TEST(BadInput, FailedLoadsThroughTheInterfaceLeaveNoImage) {
    uintptr_t token = 0;
    Startup(&token);
    auto folder = ScratchFolder();
    auto path = folder / "not-a-picture.jpg";
    WriteFile(path, {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F'});
    std::string s = path.string();
    std::u16string wide(s.begin(), s.end());
    Image* image = reinterpret_cast<Image*>(1);
    EXPECT_EQ(LoadImageFromFile(wide.c_str(), &image), kUnknownImageFormat);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(LastFailureReason(), "Premature end of JPEG file");
    Shutdown(token);
}

}  // namespace
}  // namespace platform::imaging
