// The batch runs six conversions at once through one imaging platform:
// each thread must get exactly what a lone conversion gets.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/imaging/codecs.h"
#include "platform/imaging/imaging.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

TEST(ConcurrentConversion, SixThreadsConvertLikeOne) {
    uintptr_t token = 0;
    Startup(&token);
    auto image = Image::Create(96, 64, PixelLayout::Bgr24);
    for (uint32_t y = 0; y < 64; ++y) {
        for (uint32_t x = 0; x < 96 * 3; ++x)
            image->row(y)[x] = uint8_t(x * y + x);
    }
    Output jpeg, tiff;
    EncodeJpeg(*image, 95, jpeg);
    EncodeTiff(*image, tiff);
    const Output* inputs[2] = {&jpeg, &tiff};
    const ClassId* encoders[3] = {&kPngEncoder, &kTiffEncoder, &kJpegEncoder};

    auto convert = [&](int input, int encoder) {
        Output result;
        auto decoded = DecodeAny({inputs[input]->data(), inputs[input]->size()});
        if (!decoded)
            return result;
        if (*encoders[encoder] == kPngEncoder)
            EncodePng(*decoded, result);
        if (*encoders[encoder] == kTiffEncoder)
            EncodeTiff(*decoded, result);
        if (*encoders[encoder] == kJpegEncoder)
            EncodeJpeg(*decoded, 100, result);
        return result;
    };
    Output expected[2][3];
    for (int i = 0; i < 2; ++i) {
        for (int e = 0; e < 3; ++e)
            expected[i][e] = convert(i, e);
    }
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 4; ++round) {
                int i = (t + round) % 2, e = (t + round) % 3;
                if (convert(i, e) != expected[i][e])
                    ++mismatches;
                // Damaged input on the same threads at the same time.
                Output broken(inputs[i]->begin(), inputs[i]->begin() + inputs[i]->size() / 2);
                if (DecodeAny({broken.data(), broken.size()}))
                    ++mismatches;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
    Shutdown(token);
}

}  // namespace
}  // namespace platform::imaging
