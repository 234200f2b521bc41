// Double-buffered drawing for the painters: everything is drawn into a
// memory bitmap of the window's client size and reaches the window in one
// block transfer, so a control never shows half of a new look.
//
// Begin (the constructor): reads the client rectangle, gets the window's
// device context, makes a compatible memory context (transparent
// background mode) and selects into it either the caller's bitmap or a new
// compatible bitmap of the client size. With the copy flag set the window's
// present pixels are copied in first, so a painter may draw over what the
// control's own procedure drew.
//
// End(): with the copy flag set, copies the memory context to the window.
// The destructor releases everything (restoring the previously selected
// object, deleting a bitmap made here, the memory context, the window's
// context); a painter that fails before End() leaves the window untouched.
#pragma once

#include "libs/desktop/skin/skin_types.h"

namespace desktop::skin {

class PaintBuffer {
public:
    PaintBuffer(HWND window, bool copyWindow, platform::HBITMAP bitmap = nullptr);
    ~PaintBuffer();
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;

    void End();

    bool Ready() const { return memoryDc_ != nullptr; }
    platform::HDC Dc() const { return memoryDc_; }
    const platform::RECT& Client() const { return client_; }
    int Width() const { return client_.right - client_.left; }
    int Height() const { return client_.bottom - client_.top; }

private:
    HWND window_ = nullptr;
    platform::HDC windowDc_ = nullptr;
    platform::HDC memoryDc_ = nullptr;
    bool copyWindow_ = false;
    platform::HBITMAP bitmap_ = nullptr;
    platform::HGDIOBJ previous_ = nullptr;
    bool bitmapCreatedHere_ = false;
    platform::RECT client_;
    bool ended_ = false;
};

}  // namespace desktop::skin
