// GifPicture's canvas: frames laid over what the previous frames left, as
// their transparency and disposal ask, and the canvas drawn into a window
// by layout.
#include <algorithm>

#include "corelib/pictures/gif_picture.h"
#include "corelib/pictures/picture_limits.h"
#include "corelib/pictures/picture_placement.h"

namespace corelib {

using namespace platform;

namespace {

bool RestoresArea(int32_t disposal) {
    return disposal == kGifDisposeBackground || disposal == kGifDisposePrevious;
}

}  // namespace

bool GifPicture::EnsureCanvasLocked() {
    if (canvas_)
        return true;
    // The logical screen is declared by the header alone; it must be
    // plausible for the data like any picture.
    if (!PlausiblePictureSize(screenWidth_, screenHeight_, streamLength_, kGifCoding))
        return false;
    canvas_ = CreateBitmap(screenWidth_, screenHeight_, 1, 32, nullptr);
    if (!canvas_)
        return false;
    auto hold = LockBitmap(canvas_);
    const PixelView view = BitmapPixels(canvas_);
    const uint32_t fill = uint32_t(GetBValue(backgroundColor_)) |
                          (uint32_t(GetGValue(backgroundColor_)) << 8) |
                          (uint32_t(GetRValue(backgroundColor_)) << 16);
    for (int y = 0; y < view.height; ++y)
        std::fill(view.Row(y), view.Row(y) + view.width, fill);
    return true;
}

void GifPicture::DeleteCanvasLocked() {
    if (canvas_)
        DeleteObject(canvas_);
    if (savedArea_)
        DeleteObject(savedArea_);
    canvas_ = savedArea_ = nullptr;
    previousDisposal_ = kGifDisposeKeep;
}

void GifPicture::LayFrameLocked(const GifFrame& frame, HDC frameDc, HDC canvasDc) {
    HGDIOBJ oldCanvas = SelectObject(canvasDc, canvas_);
    HGDIOBJ oldFrame = nullptr;
    auto useInFrameDc = [&](HBITMAP bitmap) {
        HGDIOBJ previous = SelectObject(frameDc, bitmap);
        if (!oldFrame)
            oldFrame = previous;
    };
    const int x = frameLeft_, y = frameTop_, w = frameWidth_, h = frameHeight_;
    if (RestoresArea(disposal_)) {
        savedArea_ = CreateBitmap(w, h, 1, 32, nullptr);
        if (savedArea_) {
            useInFrameDc(savedArea_);
            BitBlt(frameDc, 0, 0, w, h, canvasDc, x, y, SRCCOPY);
            savedRect_ = RECT{x, y, x + w, y + h};
        }
    }
    if (frame.mask) {
        // The mask's white (the transparent index) keeps the canvas, its
        // black clears it for the frame's pixels, which are then ORed in.
        SetBkColor(canvasDc, RGB(255, 255, 255));
        SetTextColor(canvasDc, RGB(0, 0, 0));
        useInFrameDc(frame.mask);
        BitBlt(canvasDc, x, y, w, h, frameDc, 0, 0, SRCAND);
        useInFrameDc(frame.image);
        BitBlt(canvasDc, x, y, w, h, frameDc, 0, 0, SRCPAINT);
    } else {
        useInFrameDc(frame.image);
        BitBlt(canvasDc, x, y, w, h, frameDc, 0, 0, SRCCOPY);
    }
    SelectObject(frameDc, oldFrame);
    SelectObject(canvasDc, oldCanvas);
}

bool GifPicture::ComposeLocked(HDC frameDc, HDC canvasDc) {
    if (!EnsureCanvasLocked())
        return false;
    if (RestoresArea(previousDisposal_) && savedArea_) {
        HGDIOBJ oldCanvas = SelectObject(canvasDc, canvas_);
        HGDIOBJ oldFrame = SelectObject(frameDc, savedArea_);
        BitBlt(canvasDc, savedRect_.left, savedRect_.top, savedRect_.right - savedRect_.left,
               savedRect_.bottom - savedRect_.top, frameDc, 0, 0, SRCCOPY);
        SelectObject(frameDc, oldFrame);
        SelectObject(canvasDc, oldCanvas);
    }
    if (savedArea_)
        DeleteObject(savedArea_);
    savedArea_ = nullptr;
    previousDisposal_ = kGifDisposeKeep;

    GifFrame frame = NextFrame();
    // After the last image the data starts again at once, so the loop shows
    // no gap between the last frame and the first.
    if (!frame && streamPos_ == 0)
        frame = NextFrame();
    if (!frame)
        return false;
    LayFrameLocked(frame, frameDc, canvasDc);
    previousDisposal_ = disposal_;
    frame.Delete();
    return true;
}

void GifPicture::DrawCanvasLocked(HDC target, int clientWidth, int clientHeight) {
    if (!canvas_)
        return;
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ old = SelectObject(memory, canvas_);
    const int32_t mode = layout_.load();
    const PicturePlacement place =
        PlacePicture(mode, clientWidth, clientHeight, screenWidth_, screenHeight_);
    if (mode == GIF_LAYOUT_NATURAL) {
        BitBlt(target, 0, 0, screenWidth_, screenHeight_, memory, 0, 0, SRCCOPY);
    } else {
        StretchBlt(target, place.x, place.y, place.width, place.height, memory, 0, 0, screenWidth_,
                   screenHeight_, SRCCOPY);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

bool GifPicture::ComposeNextFrame() {
    {
        // The worker owns the decoder while it runs.
        std::lock_guard state(stateMutex_);
        if (animState_ == GIF_ANIM_RUNNING || !loaded_)
            return false;
    }
    HDC frameDc = CreateCompatibleDC(nullptr);
    HDC canvasDc = CreateCompatibleDC(nullptr);
    bool drawn;
    {
        std::lock_guard hold(busy_);
        drawn = ComposeLocked(frameDc, canvasDc);
    }
    DeleteDC(frameDc);
    DeleteDC(canvasDc);
    return drawn;
}

void GifPicture::DrawCanvas(HDC target, int clientWidth, int clientHeight) {
    std::lock_guard hold(busy_);
    DrawCanvasLocked(target, clientWidth, clientHeight);
}

std::unique_lock<std::mutex> GifPicture::HoldCanvas(HBITMAP* canvas) {
    std::unique_lock hold(busy_);
    if (canvas)
        *canvas = canvas_;
    return hold;
}

}  // namespace corelib
