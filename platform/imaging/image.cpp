#include "platform/imaging/image.h"

#include <cstdlib>
#include <new>

#include "platform/imaging/block_cache.h"

namespace platform::imaging {

void FreeDeleter::operator()(uint8_t* p) const {
    std::free(p);
}

void PixelDeleter::operator()(uint8_t* p) const {
    GiveBlock(p, size);
}

std::unique_ptr<Image> Image::Create(uint32_t width, uint32_t height, PixelLayout layout) {
    if (width == 0 || height == 0 || uint64_t(width) * height > kMaxPixels)
        return nullptr;
    std::unique_ptr<Image> image(new (std::nothrow) Image);
    if (!image)
        return nullptr;
    image->width_ = width;
    image->height_ = height;
    image->layout_ = layout;
    image->stride_ = size_t(width) * image->bytesPerPixel();
    // Left uninitialised: every decoder writes every row.
    const size_t bytes = image->stride_ * height;
    image->pixels_ = std::unique_ptr<uint8_t, PixelDeleter>(TakeBlock(bytes), PixelDeleter{bytes});
    if (!image->pixels_)
        return nullptr;
    return image;
}

}  // namespace platform::imaging
