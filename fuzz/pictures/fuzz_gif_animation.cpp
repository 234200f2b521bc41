// GifPicture in window mode, without a window: the whole composition road
// (frames, masks, saved areas, restores) over many frames of any data.
#include <cstdlib>

#include "corelib/pictures/gif_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    corelib::GifPicture picture;
    if (picture.Load(data, uint32_t(size)) != 1)
        return 0;
    for (int i = 0; i < 12; ++i)
        picture.ComposeNextFrame();
    platform::HBITMAP canvas = nullptr;
    auto hold = picture.HoldCanvas(&canvas);
    if (canvas) {
        platform::BITMAP shape;
        platform::GetObject(canvas, sizeof shape, &shape);
        if (shape.bmWidth != picture.screenWidth() || shape.bmHeight != picture.screenHeight())
            std::abort();
    }
    return 0;
}
