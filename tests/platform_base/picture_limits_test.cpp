// The one size policy of every picture reader, at its boundaries.
#include <gtest/gtest.h>

#include "platform/base/picture_limits.h"

namespace {

using platform::PictureCoding;
using platform::PictureSizeProblem;

TEST(PictureLimits, TheLargestPictureAndSideAreTheLastAccepted) {
    EXPECT_EQ(PictureSizeProblem(16384, 16384, 1u << 30, PictureCoding::Uncompressed), "");
    EXPECT_EQ(PictureSizeProblem(16385, 16384, 1u << 30, PictureCoding::Uncompressed),
              "the picture declares 16385 x 16384 pixels, more than 268435456");
    EXPECT_EQ(PictureSizeProblem(65535, 1, 1, PictureCoding::Deflate), "");
    EXPECT_EQ(PictureSizeProblem(65536, 1, 1, PictureCoding::Deflate),
              "the picture declares 65536 x 1 pixels, wider or taller than 65535");
    EXPECT_EQ(PictureSizeProblem(0, 5, 100, PictureCoding::Jpeg),
              "the picture declares 0 x 5 pixels");
}

TEST(PictureLimits, AboveFourThousandSquaredTheFileMustHoldThePicture) {
    // Any file may declare 4096 x 4096.
    EXPECT_EQ(PictureSizeProblem(4096, 4096, 1, PictureCoding::Jpeg), "");
    // One row more needs a file that can code it: 1024 pixels a byte.
    const uint64_t pixels = 4096ull * 4097;
    EXPECT_EQ(PictureSizeProblem(4096, 4097, pixels / 1024, PictureCoding::Jpeg), "");
    EXPECT_EQ(PictureSizeProblem(4096, 4097, pixels / 1024 - 1, PictureCoding::Jpeg),
              "the picture declares 4096 x 4097 pixels, more than " +
                  std::to_string(pixels / 1024 - 1) + " bytes can hold");
    // Fax coding has no such bound.
    EXPECT_EQ(PictureSizeProblem(16000, 16000, 10, PictureCoding::Fax), "");
    EXPECT_EQ(platform::MaxPixelsPerByte(PictureCoding::GifLzw), 2731u);
}

}  // namespace
