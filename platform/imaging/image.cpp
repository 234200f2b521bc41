#include "platform/imaging/image.h"

#include <cstdlib>
#include <new>

#include "platform/base/picture_limits.h"
#include "platform/imaging/block_cache.h"
#include "platform/imaging/core_turns.h"
#include "platform/imaging/memory_budget.h"

namespace platform::imaging {

void FreeDeleter::operator()(uint8_t* p) const {
    std::free(p);
}

void PixelDeleter::operator()(uint8_t* p) const {
    if (!p)
        return;
    GiveBlock(p, size);
    ReleaseMemory(ImageCost(size), owner);
}

std::unique_ptr<Image> Image::Create(uint32_t width, uint32_t height, PixelLayout layout) {
    if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        uint64_t(width) * height > kMaxPicturePixels) {
        return nullptr;
    }
    std::unique_ptr<Image> image(new (std::nothrow) Image);
    if (!image)
        return nullptr;
    image->width_ = width;
    image->height_ = height;
    image->layout_ = layout;
    image->stride_ = size_t(width) * image->bytesPerPixel();
    const size_t bytes = image->stride_ * height;
    ReserveMemory(ImageCost(bytes));
    // After the reservation, so that no turn is held while waiting for memory.
    ClaimCoreTurn(bytes);
    // Left uninitialised: every decoder writes every row.
    uint8_t* block = TakeBlock(bytes);
    if (!block) {
        ReleaseMemory(ImageCost(bytes), std::this_thread::get_id());
        return nullptr;
    }
    image->pixels_ = std::unique_ptr<uint8_t, PixelDeleter>(
        block, PixelDeleter{bytes, std::this_thread::get_id()});
    return image;
}

}  // namespace platform::imaging
