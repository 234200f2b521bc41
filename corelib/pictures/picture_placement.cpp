#include "corelib/pictures/picture_placement.h"

#include <algorithm>

namespace corelib {

PicturePlacement PlacePicture(int32_t layout, int32_t cw, int32_t ch, int32_t w, int32_t h) {
    if (layout == 0)
        return {0, 0, w, h};
    if (layout != 2)
        return {0, 0, cw, ch};
    PicturePlacement place{0, 0, w, h};
    // A picture smaller than the area is centred on that axis, and the area
    // it may use shrinks to its own size.
    if (w < cw) {
        place.x = (cw - w) / 2;
        cw = w;
    }
    if (h < ch) {
        place.y = (ch - h) / 2;
        ch = h;
    }
    if ((w > cw || h > ch) && w > 0 && h > 0) {
        const double scale = std::min(double(cw) / w, double(ch) / h);
        place.width = int32_t(w * scale);
        place.height = int32_t(h * scale);
        place.x += (cw - place.width) / 2;
        place.y += (ch - place.height) / 2;
    }
    return place;
}

}  // namespace corelib
