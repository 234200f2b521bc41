// GIF pictures: the first image, decoded by GifPicture in memory mode.
#include <vector>

#include "corelib/pictures/gif_picture.h"
#include "corelib/pictures/picture_decoders.h"
#include "corelib/pictures/picture_limits.h"

namespace corelib {

PictureRecord* LoadGifPicture(PictureSource& source) {
    std::vector<uint8_t> storage;
    size_t length = 0;
    const uint8_t* data = WholeData(source, storage, &length, UINT32_MAX);
    if (!data)
        return nullptr;
    GifPicture gif;
    gif.SetMemoryMode(true);
    if (gif.Load(data, uint32_t(length)) != 1)
        return nullptr;
    gif.FirstFrame();
    uint32_t bytes = 0;
    uint8_t* block = gif.TakeDib(&bytes);
    if (!block)
        return nullptr;
    // The record has the logical screen's size; a header that declares none
    // gets the image's own.
    int32_t width = gif.screenWidth(), height = gif.screenHeight();
    if (width == 0 || height == 0) {
        width = gif.frameWidth();
        height = gif.frameHeight();
    }
    if (!PlausiblePictureSize(width, height, length, kGifCoding)) {
        FreePictureBlock(block);
        return nullptr;
    }
    return MakePictureRecord(PICTURE_GIF, width, height, block, bytes);
}

}  // namespace corelib
