#include "tools/view/viewed_picture.h"

#include <vector>

#include "corelib/pictures/detect_picture.h"
#include "corelib/pictures/load_picture.h"
#include "corelib/pictures/picture_placement.h"
#include "corelib/pictures/picture_source.h"
#include "platform/base/text_codec.h"

namespace view {

using namespace platform;

ViewedPicture::~ViewedPicture() {
    corelib::DeleteDisplayPicture(&display_);
    corelib::ReleasePicture(record_);
}

bool ViewedPicture::Open(const std::string& utf8Path, std::string* error) {
    corelib::FileSource source;
    if (!source.Open(Utf8ToRuntime(utf8Path))) {
        *error = "cannot open the file";
        return false;
    }
    const corelib::PictureKind kind = corelib::DetectPicture(source);
    if (kind == corelib::PICTURE_NONE) {
        *error = "not a picture this program reads (BMP, JPEG, PNG, GIF, ICO, CUR, PCX)";
        return false;
    }
    if (kind != corelib::PICTURE_GIF) {
        record_ = corelib::LoadPictureOfKind(source, kind);
        if (!record_)
            *error = "the picture is damaged or too large to show";
        return record_ != nullptr;
    }
    isGif_ = true;
    std::vector<uint8_t> storage;
    size_t length = 0;
    const uint8_t* data = corelib::WholeData(source, storage, &length, UINT32_MAX);
    if (!data || gif_.Load(data, uint32_t(length)) != 1) {
        *error = "the GIF header is damaged";
        return false;
    }
    return true;
}

int ViewedPicture::width() const {
    return isGif_ ? gif_.screenWidth() : record_->width;
}

int ViewedPicture::height() const {
    return isGif_ ? gif_.screenHeight() : record_->height;
}

void ViewedPicture::PaintStill(HDC dc, int cw, int ch, int layout) {
    if (!display_.bitmap && !display_.icon &&
        !corelib::MakeDisplayPicture(corelib::PictureTarget{dc, nullptr}, record_, &display_,
                                     GetSysColor(COLOR_WINDOW))) {
        return;
    }
    display_.dc = dc;
    const corelib::PicturePlacement place =
        corelib::PlacePicture(layout, cw, ch, record_->width, record_->height);
    SetStretchBltMode(dc, HALFTONE);
    corelib::DrawPicture(display_, place.x, place.y, place.width, place.height, SRCCOPY);
}

}  // namespace view
