// Where a picture of W x H pixels goes in a client area of cw x ch, for
// each layout:
//   0  natural size at the top-left corner (0, 0, W, H)
//   2  centred; scaled down, keeping its proportions, when it does not fit
//   any other value: stretched to the whole client area (0, 0, cw, ch)
#pragma once

#include <cstdint>

namespace corelib {

struct PicturePlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

PicturePlacement PlacePicture(int32_t layout, int32_t clientWidth, int32_t clientHeight,
                              int32_t pictureWidth, int32_t pictureHeight);

}  // namespace corelib
