// The one in-memory form every image takes between reading and writing: a
// rectangle of pixels at depth 8, 16, 24 or 32 with an optional colour table.
//
// Pixel layouts (rows top first, no padding):
//   8 with table  index into the colour table
//   8 gray        level 0..255
//   16            little-endian word: red bits 15-11, green 10-6, blue 5-1, bit 0 zero
//   24            red, green, blue
//   32            alpha, red, green, blue
#pragma once

#include <cstddef>
#include <cstdint>

#include "libs/imageconv/heap_buffer.h"
#include "libs/imageconv/mapped_buffer.h"

namespace imageconv {

struct ColourEntry {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t reserved;  // 255 in tables made by quantisation
    uint32_t key;      // ordering key used while quantising
};
static_assert(sizeof(ColourEntry) == 8);

// (306 R + 601 G + 117 B) >> 10: the weights sum to 1024.
constexpr uint8_t GrayLevel(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint8_t>((306 * r + 601 * g + 117 * b) >> 10);
}
constexpr uint16_t Pack16(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 3) << 6) | ((b >> 3) << 1));
}
constexpr uint8_t Red16(uint16_t w) {
    return static_cast<uint8_t>(((w >> 11) & 31) << 3);
}
constexpr uint8_t Green16(uint16_t w) {
    return static_cast<uint8_t>(((w >> 6) & 31) << 3);
}
constexpr uint8_t Blue16(uint16_t w) {
    return static_cast<uint8_t>(((w >> 1) & 31) << 3);
}

class RasterImage {
public:
    // Larger pixel buffers are refused: a corrupt header must not make us
    // reserve tens of gigabytes of disk before the first row proves it wrong.
    static constexpr size_t kMaxPixelBytes = size_t(4) << 30;

    RasterImage() = default;
    ~RasterImage() { Clear(); }
    RasterImage(const RasterImage&) = delete;
    RasterImage& operator=(const RasterImage&) = delete;

    // Depth 8 with colours 0 is gray, with colours 1..256 has a colour table
    // (entries undefined until filled). Pixels read as zeros. On failure the
    // image is left empty.
    bool Create(int32_t width, int32_t height, int32_t depth, int32_t colours);
    // Releases the pixel storage and its file; always true.
    bool Clear();
    bool CopyFrom(const RasterImage& other);
    void Commit();
    // Fills `target` with this image at `depth` (and for depth 8 with a table
    // of at most `colours` entries, or gray when colours is 0). This image is
    // unchanged; on failure the target is left empty.
    bool ConvertTo(RasterImage& target, int32_t depth, int32_t colours) const;

    bool HasPixels() const { return pixels_ != nullptr; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t depth() const { return depth_; }
    int32_t colourCount() const { return colourCount_; }
    uint8_t* pixels() const { return pixels_; }
    uint8_t* Row(int32_t y) const { return pixels_ + size_t(y) * rowSize(); }
    size_t rowSize() const { return size_t(width_) * BytesPerPixel(depth_); }
    size_t pixelDataSize() const { return pixelBuffer_.size(); }
    size_t totalSize() const { return totalSize_; }
    ColourEntry* colours() const {
        return reinterpret_cast<ColourEntry*>(const_cast<uint8_t*>(colourTable_.data()));
    }
    // Only ever shrinks the table: a quantiser may use fewer colours than it
    // was given room for.
    bool ShrinkColourTable(int32_t count) {
        if (count < 1 || count > colourCount_)
            return false;
        colourCount_ = count;
        return true;
    }
    // For tests and diagnostics: where the pixel storage was created.
    const MappedBuffer& pixelBuffer() const { return pixelBuffer_; }

    static size_t BytesPerPixel(int32_t depth) {
        switch (depth) {
            case 8:
                return 1;
            case 16:
                return 2;
            case 24:
                return 3;
            case 32:
                return 4;
            default:
                return 0;
        }
    }

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t depth_ = 0;
    uint8_t* pixels_ = nullptr;
    int32_t colourCount_ = 0;
    size_t totalSize_ = 0;
    MappedBuffer pixelBuffer_;
    HeapBuffer colourTable_;
};

}  // namespace imageconv
