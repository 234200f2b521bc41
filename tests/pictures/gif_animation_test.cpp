// GifPicture's canvas: frames composed as ImageMagick coalesces them
// (disposal, transparency), frame delays, and the window's layouts.
#include <algorithm>
#include <cstring>

#include "corelib/pictures/gif_picture.h"
#include "corelib/pictures/picture_placement.h"
#include "picture_test_support.h"
#include "platform/windowing/windows.h"

namespace pictures_test {
namespace {

using namespace corelib;

std::vector<uint8_t> CanvasRgb(GifPicture& picture) {
    platform::HBITMAP canvas = nullptr;
    auto hold = picture.HoldCanvas(&canvas);
    return canvas ? BitmapRgb(canvas) : std::vector<uint8_t>{};
}

class GifAnimationTest : public PictureTest {
protected:
    // The coalesced frames as ImageMagick composes them over white.
    std::vector<std::vector<uint8_t>> Coalesced(const std::string& gif, int frames) {
        EXPECT_TRUE(Magick(gif + " -coalesce -background white -alpha remove -depth 8 +adjoin " +
                           "rgb:" + Work("frame-%d.rgb")));
        std::vector<std::vector<uint8_t>> result;
        for (int i = 0; i < frames; ++i)
            result.push_back(ReadAll(Work("frame-" + std::to_string(i) + ".rgb")));
        return result;
    }
};

TEST_F(GifAnimationTest, EveryDisposalAndTransparencyComposeAsImageMagickCoalesces) {
    // Frame 1 covers the top of the screen only, so the area that frame 4
    // disposes to the background was background before it: restoring that
    // area and clearing it agree.
    const std::string f1 = Work("f1.png"), f2 = Work("f2.png"), f3 = Work("f3.png"),
                      f4 = Work("f4.png"), f5 = Work("f5.png");
    ASSERT_TRUE(Magick("-seed 1 -size 40x18 plasma:fractal -fill white -draw 'point 0,0' " + f1));
    ASSERT_TRUE(
        Magick("-seed 2 -size 12x10 plasma:fractal -alpha set -channel A "
               "-fx '(i+j)%3==0?0:1' +channel PNG32:" +
               f2));
    ASSERT_TRUE(Magick("-size 10x8 xc:blue " + f3));
    ASSERT_TRUE(Magick("-size 14x6 xc:orange " + f4));
    ASSERT_TRUE(Magick("-size 6x6 xc:lime " + f5));
    const std::string gif = Work("anim.gif");
    ASSERT_TRUE(Magick("-dispose undefined -delay 0 -page 40x30+0+0 " + f1 +
                       " -dispose none -delay 7 -page +5+5 " + f2 +
                       " -dispose previous -page +20+15 " + f3 +
                       " -dispose background -page +2+20 " + f4 + " -dispose none -page +30+22 " +
                       f5 + " -loop 0 " + gif));
    // ImageMagick starts its canvas with the colour of the background
    // index, this decoder with white: point the index at the white entry.
    std::vector<uint8_t> data = ReadAll(gif);
    ASSERT_TRUE(data[10] & 0x80);
    const int entries = 2 << (data[10] & 7);
    for (int i = 0; i < entries; ++i) {
        if (data[13 + 3 * i] == 255 && data[14 + 3 * i] == 255 && data[15 + 3 * i] == 255)
            data[11] = uint8_t(i);
    }
    ASSERT_EQ(data[13 + 3 * data[11]], 255);
    WriteAll(gif, data);
    const auto expected = Coalesced(gif, 5);
    GifPicture picture;
    ASSERT_EQ(picture.Load(data.data(), uint32_t(data.size())), 1);
    EXPECT_FALSE(picture.singleImage());
    const int32_t disposals[5] = {kGifDisposeNone, kGifDisposeKeep, kGifDisposePrevious,
                                  kGifDisposeBackground, kGifDisposeKeep};
    const uint32_t delays[5] = {50, 70, 70, 70, 70};
    for (int frame = 0; frame < 5; ++frame) {
        SCOPED_TRACE(frame);
        ASSERT_TRUE(picture.ComposeNextFrame());
        EXPECT_EQ(picture.disposal(), disposals[frame]);
        EXPECT_EQ(picture.FrameDelayMs(), delays[frame]);
        EXPECT_EQ(picture.hasTransparency(), frame == 1);
        const std::vector<uint8_t> canvas = CanvasRgb(picture);
        ASSERT_EQ(canvas.size(), expected[frame].size());
        for (size_t i = 0; i < canvas.size(); i += 3) {
            ASSERT_TRUE(std::equal(&canvas[i], &canvas[i] + 3, &expected[frame][i]))
                << "pixel (" << (i / 3) % 40 << ", " << (i / 3) / 40 << ")";
        }
    }
    // The loop starts again with the first image, over what the last left.
    ASSERT_TRUE(picture.ComposeNextFrame());
    EXPECT_EQ(picture.frameWidth(), 40);
    EXPECT_EQ(picture.frameHeight(), 18);
}

TEST_F(GifAnimationTest, ATransparentIndexKeepsTheCanvasWhereAnotherIndexHasItsColour) {
    // Entries 2 and 3 are both green; only 2 is transparent.
    const std::vector<uint8_t> table{0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255, 0};
    GifImageSpec first;
    first.width = 4;
    first.height = 1;
    first.indices = {1, 1, 1, 1};
    GifImageSpec second = first;
    second.indices = {2, 3, 2, 3};
    second.control = true;
    second.transparent = true;
    second.transparentIndex = 2;
    const std::string gif = Work("same-colour.gif");
    WriteAll(gif, WriteGif(4, 1, table, {first, second}));
    const auto expected = Coalesced(gif, 2);

    const std::vector<uint8_t> data = ReadAll(gif);
    GifPicture picture;
    ASSERT_EQ(picture.Load(data.data(), uint32_t(data.size())), 1);
    ASSERT_TRUE(picture.ComposeNextFrame());
    ASSERT_TRUE(picture.ComposeNextFrame());
    EXPECT_EQ(picture.transparentColor(), platform::RGB(0, 255, 0));
    std::vector<uint8_t> canvas = CanvasRgb(picture);
    EXPECT_EQ(canvas, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 255, 0, 0, 0, 255, 0}));
    EXPECT_EQ(canvas, expected[1]);
}

TEST_F(GifAnimationTest, DisposalToTheBackgroundRestoresTheAreaUnderTheFrame) {
    // Both ways of restoring put back what was under the frame before it
    // was drawn; the next frame is drawn over that.
    const std::vector<uint8_t> table{255, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0};
    GifImageSpec base;
    base.width = 3;
    base.height = 1;
    base.indices = {1, 1, 1};
    for (int method : {2, 3}) {
        SCOPED_TRACE(method);
        GifImageSpec over;
        over.left = 1;
        over.width = 1;
        over.height = 1;
        over.indices = {2};
        over.control = true;
        over.disposalMethod = method;
        GifImageSpec next = over;
        next.left = 2;
        next.indices = {3};
        next.disposalMethod = 1;
        const std::vector<uint8_t> data = WriteGif(3, 1, table, {base, over, next});
        GifPicture picture;
        ASSERT_EQ(picture.Load(data.data(), uint32_t(data.size())), 1);
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(picture.ComposeNextFrame());
        EXPECT_EQ(CanvasRgb(picture), (std::vector<uint8_t>{255, 0, 0, 255, 0, 0, 0, 255, 0}));
    }
}

TEST_F(GifAnimationTest, DelaysOfZeroWaitFiftyMilliseconds) {
    const std::vector<uint8_t> table{0, 0, 0, 255, 255, 255};
    GifImageSpec a;
    a.width = a.height = 1;
    a.indices = {1};
    a.control = true;
    GifImageSpec b = a;
    b.delayCs = 7;
    GifImageSpec c = a;
    c.delayCs = 250;
    const std::vector<uint8_t> data = WriteGif(1, 1, table, {a, b, c});
    GifPicture picture;
    ASSERT_EQ(picture.Load(data.data(), uint32_t(data.size())), 1);
    for (uint32_t expected : {50u, 70u, 2500u, 50u}) {
        ASSERT_TRUE(picture.ComposeNextFrame());
        EXPECT_EQ(picture.FrameDelayMs(), expected);
    }
}

class GifWindowTest : public GifAnimationTest {
protected:
    void SetUp() override {
        GifAnimationTest::SetUp();
        frame_ = OpenTestFrame(300, 200);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override {
        platform::DestroyWindow(frame_);
        GifAnimationTest::TearDown();
    }
    platform::HWND frame_ = nullptr;
};

TEST_F(GifWindowTest, AOneImagePictureNeverStartsAWorker) {
    const std::string gif = Work("still.gif");
    ASSERT_TRUE(Magick("-size 30x20 xc:teal " + gif));
    const std::vector<uint8_t> data = ReadAll(gif);
    GifPicture picture;
    ASSERT_NE(picture.Create(frame_, 0, 0, 50, 40, platform::WS_CHILD | platform::WS_VISIBLE),
              nullptr);
    ASSERT_EQ(picture.Load(data.data(), uint32_t(data.size())), 1);
    EXPECT_TRUE(picture.singleImage());
    platform::UpdateWindow(picture.window());
    picture.StartAnimation();
    EXPECT_EQ(picture.animState(), GIF_ANIM_IDLE);
    EXPECT_EQ(CanvasRgb(picture), MagickPixels(gif, "rgb", nullptr, nullptr));
}

TEST_F(GifWindowTest, TheLayoutsPlaceTheCanvasInTheClientArea) {
    const std::string gif = Work("still.gif");
    ASSERT_TRUE(Magick("-seed 4 -size 40x30 plasma:fractal -colors 64 " + gif));
    const std::vector<uint8_t> data = ReadAll(gif);
    const std::vector<uint8_t> pixels = MagickPixels(gif, "rgb", nullptr, nullptr);
    GifPicture picture;
    ASSERT_NE(picture.Create(frame_, 0, 0, 100, 50, platform::WS_CHILD | platform::WS_VISIBLE),
              nullptr);
    ASSERT_EQ(picture.Load(data.data(), uint32_t(data.size())), 1);
    // The window's background is the class's window colour.
    const platform::COLORREF background = platform::GetSysColor(platform::COLOR_WINDOW);
    for (int layout : {GIF_LAYOUT_NATURAL, GIF_LAYOUT_FIT}) {
        SCOPED_TRACE(layout);
        picture.SetLayout(layout);
        platform::UpdateWindow(picture.window());
        platform::HBITMAP shot = platform::CaptureWindow(picture.window());
        int w = 0, h = 0;
        const std::vector<uint8_t> shown = BitmapRgb(shot, &w, &h);
        platform::DeleteObject(shot);
        ASSERT_EQ(w, 100);
        ASSERT_EQ(h, 50);
        // Fit: a smaller picture is centred at its natural size.
        const int left = layout == GIF_LAYOUT_FIT ? 30 : 0;
        const int top = layout == GIF_LAYOUT_FIT ? 10 : 0;
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 100; ++x) {
                const uint8_t* got = &shown[(y * 100 + x) * 3];
                const bool inside = x >= left && x < left + 40 && y >= top && y < top + 30;
                const uint8_t* want = &pixels[((y - top) * 40 + (x - left)) * 3];
                const uint8_t back[3] = {platform::GetRValue(background),
                                         platform::GetGValue(background),
                                         platform::GetBValue(background)};
                ASSERT_EQ(std::memcmp(got, inside ? want : back, 3), 0) << x << "," << y;
            }
        }
    }
}

TEST(PicturePlacement, EachLayoutPlacesThePicture) {
    auto place = [](int layout, int cw, int ch, int w, int h) {
        const PicturePlacement p = PlacePicture(layout, cw, ch, w, h);
        return std::vector<int>{p.x, p.y, p.width, p.height};
    };
    EXPECT_EQ(place(0, 50, 50, 100, 80), (std::vector<int>{0, 0, 100, 80}));
    EXPECT_EQ(place(1, 50, 60, 100, 80), (std::vector<int>{0, 0, 50, 60}));
    EXPECT_EQ(place(3, 50, 60, 100, 80), (std::vector<int>{0, 0, 50, 60}));
    // Smaller on both axes: centred, natural size.
    EXPECT_EQ(place(2, 101, 51, 40, 30), (std::vector<int>{30, 10, 40, 30}));
    // Wider than the area: scaled by 50/100, centred vertically.
    EXPECT_EQ(place(2, 50, 200, 100, 80), (std::vector<int>{0, 80, 50, 40}));
    // Taller than the area: scaled by 20/80 = 0.25.
    EXPECT_EQ(place(2, 300, 20, 100, 80), (std::vector<int>{137, 0, 25, 20}));
    // Both larger: the smaller scale wins (0.4 against 0.5).
    EXPECT_EQ(place(2, 50, 32, 100, 80), (std::vector<int>{5, 0, 40, 32}));
}

}  // namespace
}  // namespace pictures_test
