// The animation worker against the window's thread: frames reach the
// window whole, and stopping always returns, also in the middle of a frame.
#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "corelib/pictures/gif_picture.h"
#include "picture_test_support.h"
#include "platform/windowing/windows.h"

namespace pictures_test {
namespace {

using namespace corelib;
using namespace std::chrono_literals;

class GifThreadsTest : public PictureTest {
protected:
    void SetUp() override {
        PictureTest::SetUp();
        frame_ = OpenTestFrame(400, 300);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override {
        platform::DestroyWindow(frame_);
        PictureTest::TearDown();
    }
    // An animation of `frames` full-screen frames of the given size.
    std::string MakeAnimation(int frames, int width, int height, int delayCs) {
        std::string args = "-delay " + std::to_string(delayCs);
        for (int i = 0; i < frames; ++i) {
            args += " \\( -seed " + std::to_string(i + 1) + " -size " + std::to_string(width) +
                    "x" + std::to_string(height) + " plasma:fractal +noise Random \\)";
        }
        const std::string path = Work("anim.gif");
        EXPECT_TRUE(Magick(args + " -colors 256 -loop 0 " + path));
        return path;
    }
    // Pumps the window thread's messages until `done` or 20 s pass.
    template <typename Done>
    bool PumpUntil(Done done) {
        const auto limit = std::chrono::steady_clock::now() + 20s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit)
                return false;
            platform::MSG msg;
            while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE))
                platform::DispatchMessage(&msg);
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }
    platform::HWND frame_ = nullptr;
};

TEST_F(GifThreadsTest, TheWindowShowsWholeFramesWhileTheWorkerRuns) {
    const std::string path = MakeAnimation(4, 60, 40, 1);
    ASSERT_TRUE(Magick(path + " -coalesce -depth 8 +adjoin rgb:" + Work("frame-%d.rgb")));
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < 4; ++i)
        frames.push_back(ReadAll(Work("frame-" + std::to_string(i) + ".rgb")));
    const std::vector<uint8_t> data = ReadAll(path);
    GifPicture picture;
    ASSERT_NE(picture.Create(frame_, 0, 0, 60, 40, platform::WS_CHILD | platform::WS_VISIBLE),
              nullptr);
    ASSERT_EQ(picture.Load(data.data(), uint32_t(data.size())), 1);
    // Painting starts the animation.
    platform::UpdateWindow(picture.window());
    EXPECT_EQ(picture.animState(), GIF_ANIM_RUNNING);
    std::vector<bool> seen(4, false);
    ASSERT_TRUE(PumpUntil([&] {
        // Read before the capture: a frame drawn after it must not count.
        const bool drawn = picture.framesShown() > 0;
        platform::HBITMAP shot = platform::CaptureWindow(picture.window());
        const std::vector<uint8_t> shown = BitmapRgb(shot);
        platform::DeleteObject(shot);
        auto match = std::find(frames.begin(), frames.end(), shown);
        // Before the first frame the window holds its background only.
        if (drawn) {
            EXPECT_NE(match, frames.end()) << "a frame reached the window incomplete";
        }
        if (match != frames.end())
            seen[size_t(match - frames.begin())] = true;
        return std::all_of(seen.begin(), seen.end(), [](bool b) { return b; });
    }));
    picture.StopAnimation();
    EXPECT_EQ(picture.animState(), GIF_ANIM_STOPPED);
    const uint64_t shown = picture.framesShown();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(picture.framesShown(), shown);
}

TEST_F(GifThreadsTest, StopAlwaysReturnsAlsoDuringAFrame) {
    // Large noisy frames take milliseconds each to decode and compose, so
    // many stops land inside one.
    const std::string path = MakeAnimation(3, 700, 500, 0);
    const std::vector<uint8_t> data = ReadAll(path);
    GifPicture picture;
    ASSERT_NE(picture.Create(frame_, 0, 0, 350, 250, platform::WS_CHILD | platform::WS_VISIBLE),
              nullptr);
    picture.SetLayout(GIF_LAYOUT_FIT);
    ASSERT_EQ(picture.Load(data.data(), uint32_t(data.size())), 1);
    std::mt19937 random(5);
    for (int round = 0; round < 40; ++round) {
        picture.StartAnimation();
        ASSERT_EQ(picture.animState(), GIF_ANIM_RUNNING);
        // Paint from this thread while the worker composes.
        platform::InvalidateRect(picture.window(), nullptr, false);
        platform::UpdateWindow(picture.window());
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        picture.StopAnimation();
        ASSERT_EQ(picture.animState(), GIF_ANIM_STOPPED);
        // Stopping what is stopped returns at once.
        picture.StopAnimation();
    }
    // Loading again and destroying stop a running worker too.
    picture.StartAnimation();
    ASSERT_EQ(picture.Load(data.data(), uint32_t(data.size())), 1);
    picture.StartAnimation();
    EXPECT_EQ(picture.animState(), GIF_ANIM_RUNNING);
}

}  // namespace
}  // namespace pictures_test
