// A batch's large pictures go through load and save the way the workers
// take them (core turns, shared blocks, fresh output buffers), and what
// comes out must be what came out before those paths existed: PNG and TIFF
// output read back in Pillow, a second implementation, as exactly the
// pixels Pillow reads from the source photograph, and every output is byte
// for byte the file the encoders wrote before (digests recorded from that
// build; libjpeg-turbo, libtiff and libdeflate as Debian ships them; the
// PNG digest since its rows' filters are chosen by weighed costs).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/imaging/codecs.h"
#include "platform/imaging/core_turns.h"
#include "platform/imaging/imaging.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

// A picture with a photograph's mix of smooth light and fine grain, large
// enough to take a core turn, always the same.
std::unique_ptr<Image> PhotoLike(uint32_t width = 1280, uint32_t height = 960) {
    auto image = Image::Create(width, height, PixelLayout::Bgr24);
    uint32_t grain = 12345;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* p = image->row(y);
        for (uint32_t x = 0; x < width; ++x, p += 3) {
            grain = grain * 1103515245u + 12345u;
            const int noise = int(grain >> 28) - 8;
            p[0] = uint8_t(std::clamp(int(x * 200 / width) + noise, 0, 255));
            p[1] = uint8_t(std::clamp(int((x + y) * 255 / (width + height)) + noise / 2, 0, 255));
            p[2] = uint8_t(std::clamp(int(255 - y * 180 / height) + noise, 0, 255));
        }
    }
    return image;
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 1469598103934665603u;
    for (uint8_t b : bytes)
        hash = (hash ^ b) * 1099511628211u;
    return hash;
}

std::u16string Wide(const std::filesystem::path& path) {
    std::string s = path.string();
    return std::u16string(s.begin(), s.end());
}

class BatchOutput : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Startup(&token_), kOk); }
    void TearDown() override { Shutdown(token_); }
    uintptr_t token_ = 0;
};

TEST_F(BatchOutput, PhotographsConvertToTheSameBytesAndPixelsAsBefore) {
    auto folder = ScratchFolder();
    Output source;
    ASSERT_TRUE(EncodeJpeg(*PhotoLike(), 90, source));
    WriteFile(folder / "photo.jpg", source);
    EXPECT_EQ(Fnv1a(source), 0xe8babd22cb35bcecu) << std::hex << Fnv1a(source);

    Image* loaded = nullptr;
    ASSERT_EQ(LoadImageFromFile(Wide(folder / "photo.jpg").c_str(), &loaded), kOk);
    // Between calls no turn is held, whatever the picture's size.
    EXPECT_EQ(CoreTurnsNow().busy, 0u);
    int32_t quality = 100;
    EncoderParameters parameters{};
    parameters.count = 1;
    parameters.parameter[0] = {kQualityParameter, 1, kParameterTypeLong, &quality};
    struct Expected {
        const char* name;
        const ClassId* encoder;
        uint64_t digest;
        bool lossless;
    };
    const Expected outputs[] = {
        {"photo.png", &kPngEncoder, 0x345379ce76d0d255u, true},
        {"photo.tif", &kTiffEncoder, 0xb7c33bc8d0569282u, true},
        {"photo-q100.jpg", &kJpegEncoder, 0xe3b18b282d8d2964u, false},
    };
    for (const Expected& output : outputs) {
        SCOPED_TRACE(output.name);
        ASSERT_EQ(SaveImageToFile(loaded, Wide(folder / output.name).c_str(), output.encoder,
                                  &parameters),
                  kOk);
        EXPECT_EQ(CoreTurnsNow().busy, 0u);
        const auto bytes = ReadFile(folder / output.name);
        EXPECT_EQ(Fnv1a(bytes), output.digest) << std::hex << Fnv1a(bytes);
        if (output.lossless && HavePillow()) {
            const auto expected = PillowPixels(folder / "photo.jpg", "RGB");
            ASSERT_EQ(expected.size(), size_t(1280) * 960 * 3);
            EXPECT_TRUE(PillowPixels(folder / output.name, "RGB") == expected);
        }
    }
    DisposeImage(loaded);
}

}  // namespace
}  // namespace platform::imaging
