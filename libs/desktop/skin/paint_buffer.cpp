#include "libs/desktop/skin/paint_buffer.h"

namespace desktop::skin {

using namespace platform;

PaintBuffer::PaintBuffer(HWND window, bool copyWindow, HBITMAP bitmap)
    : window_(window), copyWindow_(copyWindow), bitmap_(bitmap) {
    GetClientRect(window, &client_);
    windowDc_ = GetDC(window);
    if (!windowDc_)
        return;
    memoryDc_ = CreateCompatibleDC(windowDc_);
    if (!memoryDc_)
        return;
    SetBkMode(memoryDc_, TRANSPARENT);
    if (!bitmap_) {
        bitmap_ = CreateCompatibleBitmap(windowDc_, Width() > 0 ? Width() : 1,
                                         Height() > 0 ? Height() : 1);
        bitmapCreatedHere_ = bitmap_ != nullptr;
    }
    previous_ = SelectObject(memoryDc_, bitmap_);
    if (copyWindow_)
        BitBlt(memoryDc_, 0, 0, Width(), Height(), windowDc_, 0, 0, SRCCOPY);
}

void PaintBuffer::End() {
    if (ended_ || !memoryDc_)
        return;
    ended_ = true;
    if (copyWindow_)
        BitBlt(windowDc_, 0, 0, Width(), Height(), memoryDc_, 0, 0, SRCCOPY);
}

PaintBuffer::~PaintBuffer() {
    if (memoryDc_) {
        SelectObject(memoryDc_, previous_);
        DeleteDC(memoryDc_);
    }
    if (bitmapCreatedHere_)
        DeleteObject(bitmap_);
    if (windowDc_)
        ReleaseDC(window_, windowDc_);
}

}  // namespace desktop::skin
