// The picture picbatch-view shows: a GIF through GifPicture (animated when
// it holds several images), anything else through a display picture.
#pragma once

#include <string>

#include "corelib/pictures/display_picture.h"
#include "corelib/pictures/gif_picture.h"
#include "corelib/pictures/picture_record.h"

namespace view {

class ViewedPicture {
public:
    ViewedPicture() = default;
    ~ViewedPicture();
    ViewedPicture(const ViewedPicture&) = delete;
    ViewedPicture& operator=(const ViewedPicture&) = delete;

    // `utf8Path` as given on the command line. Answers false with a reason.
    bool Open(const std::string& utf8Path, std::string* error);

    bool isGif() const { return isGif_; }
    corelib::GifPicture& gif() { return gif_; }
    int width() const;
    int height() const;

    // Draws a still picture into a client area of cw x ch by layout.
    void PaintStill(platform::HDC dc, int cw, int ch, int layout);

private:
    bool isGif_ = false;
    corelib::GifPicture gif_;
    corelib::PictureRecord* record_ = nullptr;
    corelib::DisplayPicture display_;
};

}  // namespace view
