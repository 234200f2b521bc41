#include "libs/imageconv/raster_image.h"

#include <cstring>

namespace imageconv {

namespace {
constexpr std::string_view kImagePrefix = "picbatch-image-";
constexpr int32_t kMaxColours = 256;
}  // namespace

bool RasterImage::Create(int32_t width, int32_t height, int32_t depth, int32_t colours) {
    Clear();
    size_t bpp = BytesPerPixel(depth);
    if (width < 1 || height < 1 || bpp == 0)
        return false;
    if (depth != 8)
        colours = 0;
    if (colours < 0 || colours > kMaxColours)
        return false;
    size_t bytes = size_t(width) * size_t(height) * bpp;
    if (bytes > kMaxPixelBytes)
        return false;
    if (colours > 0 && !colourTable_.Allocate(size_t(colours) * sizeof(ColourEntry))) {
        return false;
    }
    if (!pixelBuffer_.Allocate(bytes, kImagePrefix)) {
        Clear();
        return false;
    }
    width_ = width;
    height_ = height;
    depth_ = depth;
    colourCount_ = colours;
    pixels_ = pixelBuffer_.data();
    totalSize_ = bytes + 32;
    return true;
}

bool RasterImage::Clear() {
    pixelBuffer_.Release(true);
    colourTable_.Release();
    width_ = height_ = depth_ = colourCount_ = 0;
    pixels_ = nullptr;
    totalSize_ = 0;
    return true;
}

bool RasterImage::CopyFrom(const RasterImage& other) {
    if (&other == this)
        return HasPixels();
    if (!other.HasPixels()) {
        Clear();
        return false;
    }
    if (!Create(other.width_, other.height_, other.depth_, other.colourCount_))
        return false;
    std::memcpy(pixels_, other.pixels_, pixelDataSize());
    if (colourCount_ > 0) {
        std::memcpy(colourTable_.data(), other.colourTable_.data(), colourTable_.size());
    }
    Commit();
    return true;
}

void RasterImage::Commit() {
    pixelBuffer_.Flush();
}

}  // namespace imageconv
