// The PNG writer reorders each row's bytes (BGR to RGB, BGRA to RGBA, or to
// RGB for an opaque picture with alpha) sixteen bytes at a time, with the
// row's last few pixels done one by one: every width from one pixel up past
// a few vector steps must give Pillow's decode exactly the picture's pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/imaging/codecs.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

struct Layout {
    const char* name;
    PixelLayout layout;
    bool transparent;    // some alpha below 255: written as RGBA
    uint8_t colourType;  // what the header must say
};

std::unique_ptr<Image> Numbered(uint32_t width, uint32_t height, const Layout& layout) {
    auto image = Image::Create(width, height, layout.layout);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* p = image->row(y);
        for (uint32_t i = 0; i < width * image->bytesPerPixel(); ++i)
            p[i] = uint8_t(i * 37 + y * 11 + 1);
        if (image->bytesPerPixel() == 4) {
            for (uint32_t x = 0; x < width; ++x)
                p[4 * x + 3] = layout.transparent ? uint8_t(255 - x - y) : 255;
        }
    }
    return image;
}

TEST(PngChannelOrder, EveryWidthDecodesInPillowToThePicturesPixels) {
    if (!HavePillow())
        GTEST_SKIP() << "no Pillow";
    const Layout layouts[] = {{"bgr", PixelLayout::Bgr24, false, 2},
                              {"bgra", PixelLayout::Bgra32, true, 6},
                              {"opaque", PixelLayout::Bgra32, false, 2}};
    auto folder = ScratchFolder();
    std::vector<std::pair<std::string, std::vector<uint8_t>>> expected;
    for (const Layout& layout : layouts) {
        for (uint32_t width = 1; width <= 23; ++width) {
            auto image = Numbered(width, 3, layout);
            Output png;
            ASSERT_TRUE(EncodePng(*image, png));
            ASSERT_EQ(png[25], layout.colourType) << layout.name << " " << width;
            const std::string name = std::string(layout.name) + std::to_string(width);
            WriteFile(folder / (name + ".png"), png);
            expected.emplace_back(name, Rgba(*image));
        }
    }
    // One Pillow process writes every file's RGBA pixels beside it.
    const std::string command =
        "/usr/bin/python3 -c 'import sys, glob; from PIL import Image\n"
        "for f in glob.glob(sys.argv[1] + \"/*.png\"):\n"
        "    open(f + \".rgba\", \"wb\").write(Image.open(f).convert(\"RGBA\").tobytes())' '" +
        folder.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const auto& [name, pixels] : expected)
        EXPECT_TRUE(ReadFile(folder / (name + ".png.rgba")) == pixels) << name;
}

}  // namespace
}  // namespace platform::imaging
