// The imaging platform's image: a decoded raster held in one of two layouts,
// bytes in the platform's order (blue first). Pictures without alpha stay at
// three bytes a pixel, which keeps a batch of large photographs a quarter
// smaller in memory and spares the encoders an alpha channel to drop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

namespace platform::imaging {

enum class PixelLayout : uint8_t {
    Bgr24,   // B, G, R
    Bgra32,  // B, G, R, A (straight alpha)
};

// Platform pixel-format numbers of the two layouts.
inline constexpr uint32_t kFormat24bppRgb = 0x21808;
inline constexpr uint32_t kFormat32bppArgb = 0x26200A;

struct FreeDeleter {
    void operator()(uint8_t* p) const;
};
// Hands a pixel block back to the calling thread's block cache and the
// image's reservation back to the memory budget.
struct PixelDeleter {
    size_t size = 0;
    std::thread::id owner;
    void operator()(uint8_t* p) const;
};

class Image {
public:
    // Answers null when the size is 0, beyond the limits of
    // platform/base/picture_limits.h, or memory runs out. Waits for room in
    // the memory budget (memory_budget.h) first.
    static std::unique_ptr<Image> Create(uint32_t width, uint32_t height, PixelLayout layout);

    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    PixelLayout layout() const { return layout_; }
    uint32_t bytesPerPixel() const { return layout_ == PixelLayout::Bgr24 ? 3 : 4; }
    size_t stride() const { return stride_; }
    uint8_t* row(uint32_t y) { return pixels_.get() + y * stride_; }
    const uint8_t* row(uint32_t y) const { return pixels_.get() + y * stride_; }
    bool hasAlpha() const { return layout_ == PixelLayout::Bgra32; }

private:
    Image() = default;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    PixelLayout layout_ = PixelLayout::Bgr24;
    size_t stride_ = 0;
    std::unique_ptr<uint8_t, PixelDeleter> pixels_;
};

}  // namespace platform::imaging
