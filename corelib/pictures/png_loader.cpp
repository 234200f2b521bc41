// PNG through libpng's simplified interface, read from memory straight
// into B,G,R,A rows.
#include <png.h>

#include <cstring>

#include "corelib/pictures/picture_decoders.h"
#include "corelib/pictures/picture_limits.h"

namespace corelib {

PictureRecord* LoadPngPicture(const uint8_t* bytes, size_t length) {
    if (!bytes || length <= 7)
        return nullptr;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes, length))
        return nullptr;
    image.format = PNG_FORMAT_BGRA;
    if (!PlausiblePictureSize(image.width, image.height, length, kPngCoding)) {
        png_image_free(&image);
        return nullptr;
    }
    const size_t size = size_t(image.width) * image.height * 4;
    uint8_t* block = AllocatePictureBlock(size);
    if (!block) {
        png_image_free(&image);
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, block, 0, nullptr)) {
        png_image_free(&image);
        FreePictureBlock(block);
        return nullptr;
    }
    png_image_free(&image);
    return MakePictureRecord(PICTURE_PNG, int32_t(image.width), int32_t(image.height), block,
                             uint32_t(size));
}

}  // namespace corelib
