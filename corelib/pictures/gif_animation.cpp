// GifPicture's animation worker: one thread per running animation, which
// composes a frame, shows it, and waits the frame's delay or until it is
// asked to stop.
#include <system_error>

#include "corelib/pictures/gif_picture.h"

namespace corelib {

using namespace platform;

int32_t GifPicture::animState() const {
    std::lock_guard state(stateMutex_);
    return animState_;
}

void GifPicture::StartAnimation() {
    std::unique_lock state(stateMutex_);
    if (singleImage_ || !loaded_ || !window_ || !IsWindow(window_) ||
        animState_ == GIF_ANIM_RUNNING) {
        return;
    }
    // A worker that acknowledged its stop has finished; collect it.
    if (worker_.joinable())
        worker_.join();
    Rewind();
    animState_ = GIF_ANIM_RUNNING;
    try {
        worker_ = std::thread(&GifPicture::RunWorker, this);
    } catch (const std::system_error&) {
        animState_ = GIF_ANIM_STOPPED;
    }
}

void GifPicture::StopAnimation() {
    std::unique_lock state(stateMutex_);
    if (animState_ == GIF_ANIM_RUNNING) {
        animState_ = GIF_ANIM_STOP_REQUESTED;
        stateChanged_.notify_all();
        stateChanged_.wait(state, [this] { return animState_ == GIF_ANIM_STOPPED; });
    }
    if (worker_.joinable())
        worker_.join();
}

bool GifPicture::WaitForStop(std::chrono::steady_clock::time_point until) {
    std::unique_lock state(stateMutex_);
    return stateChanged_.wait_until(state, until,
                                    [this] { return animState_ == GIF_ANIM_STOP_REQUESTED; });
}

void GifPicture::DrawIntoWindowLocked() {
    if (!IsWindow(window_))
        return;
    // The window's context is taken per frame: the window's surface may be
    // replaced when it is resized, and releasing the context is what tells
    // the display that the window changed.
    HDC dc = GetDC(window_);
    if (!dc)
        return;
    SetStretchBltMode(dc, GetDeviceCaps(dc, BITSPIXEL) > 16 ? HALFTONE : COLORONCOLOR);
    RECT client;
    GetClientRect(window_, &client);
    DrawCanvasLocked(dc, client.right, client.bottom);
    ReleaseDC(window_, dc);
}

void GifPicture::RunWorker() {
    HDC frameDc = CreateCompatibleDC(nullptr);
    HDC canvasDc = CreateCompatibleDC(nullptr);
    for (;;) {
        const auto start = std::chrono::steady_clock::now();
        {
            std::lock_guard hold(busy_);
            if (ComposeLocked(frameDc, canvasDc)) {
                DrawIntoWindowLocked();
                ++framesShown_;
            }
        }
        // A corrupt image shows nothing but keeps the timing; the next block
        // is tried at the next tick.
        const auto until = start + std::chrono::milliseconds(FrameDelayMs());
        if (WaitForStop(until))
            break;
    }
    DeleteDC(frameDc);
    DeleteDC(canvasDc);
    std::lock_guard state(stateMutex_);
    animState_ = GIF_ANIM_STOPPED;
    stateChanged_.notify_all();
}

}  // namespace corelib
