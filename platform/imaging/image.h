// The imaging platform's image: a decoded raster held in one of two layouts,
// bytes in the platform's order (blue first). Pictures without alpha stay at
// three bytes a pixel, which keeps a batch of large photographs a quarter
// smaller in memory and spares the encoders an alpha channel to drop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform::imaging {

enum class PixelLayout : uint8_t {
    Bgr24,   // B, G, R
    Bgra32,  // B, G, R, A (straight alpha)
};

// Platform pixel-format numbers of the two layouts.
inline constexpr uint32_t kFormat24bppRgb = 0x21808;
inline constexpr uint32_t kFormat32bppArgb = 0x26200A;

// The largest picture we agree to hold (about 16k by 16k): a corrupt header
// asking for more is refused before anything is allocated.
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 28;

struct FreeDeleter {
    void operator()(uint8_t* p) const;
};
// Hands a pixel block back to the calling thread's block cache.
struct PixelDeleter {
    size_t size = 0;
    void operator()(uint8_t* p) const;
};

class Image {
public:
    // Answers null when the size is 0, too large, or memory runs out.
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
