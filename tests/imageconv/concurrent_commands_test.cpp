// The commands share nothing, so the application may run them on several
// threads at once: backing-file names and library set-up must not collide.
#include <thread>

#include "imageconv_test_support.h"
#include "libs/imageconv/convert_commands.h"
#include "libs/imageconv/convert_result.h"

namespace imageconv_test {
namespace {

using rt::ArgRecord;

class ConcurrentCommandsTest : public ImageconvTest {};

TEST_F(ConcurrentCommandsTest, ParallelConversionsAllSucceedAndAgree) {
    const std::string source = Work("source.tif");
    ASSERT_TRUE(Magick("-seed 9 -size 120x80 plasma:fractal -depth 8 -compress LZW " + source));
    constexpr int kThreads = 6;
    constexpr int kRounds = 4;
    std::vector<int32_t> results(kThreads * kRounds * 2, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                const std::string png =
                    Work("out-" + std::to_string(t) + "-" + std::to_string(round) + ".png");
                const std::string tif = png + ".tif";
                rt::ResultSlot result{};
                const ArgRecord pngArgs[] = {ArgRecord::TextArg(source.c_str()),
                                             ArgRecord::TextArg(png.c_str()), ArgRecord::Int(24)};
                imageconv::ConvertToPng(&result, 3, pngArgs);
                results[size_t((t * kRounds + round) * 2)] = result.asInt();
                const ArgRecord tiffArgs[] = {ArgRecord::TextArg(source.c_str()),
                                              ArgRecord::TextArg(tif.c_str()),
                                              ArgRecord::Int(t % 2, rt::TYPE_BOOL)};
                imageconv::ConvertToTiff(&result, 3, tiffArgs);
                results[size_t((t * kRounds + round) * 2 + 1)] = result.asInt();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int32_t r : results)
        EXPECT_EQ(r, imageconv::CONVERT_OK);
    const std::vector<uint8_t> expected = ReadAll(Work("out-0-0.png"));
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(ReadAll(Work("out-" + std::to_string(t) + "-3.png")), expected) << t;
    }
    EXPECT_EQ(MagickRgb(Work("out-0-0.png")), MagickRgb(source));
}

}  // namespace
}  // namespace imageconv_test
