#include "libs/imageconv/photocd_reader.h"

#include <algorithm>
#include <cmath>

#include "libs/imageconv/heap_buffer.h"

namespace imageconv {

namespace {

struct ResolutionLayout {
    int32_t width;
    int32_t height;
    long offset;
};
constexpr ResolutionLayout kLayouts[] = {
    {192, 128, 0x2000},
    {384, 256, 0xB800},
    {768, 512, 0x30000},
};

uint8_t ClampToByte(double v) {
    return static_cast<uint8_t>(std::clamp(std::floor(v), 0.0, 255.0));
}

}  // namespace

void PhotoYccToRgb(int luma, int chroma1, int chroma2, uint8_t* rgb) {
    // Kodak's scaling of the stored 8-bit values back to nominal ranges.
    const double l = 1.3584 * luma;
    const double c1 = 2.2179 * chroma1;
    const double c2 = 1.8215 * chroma2;
    rgb[0] = ClampToByte(l + c2);
    rgb[1] = ClampToByte(l - 0.194 * c1 - 0.509 * c2);
    rgb[2] = ClampToByte(l + c1);
}

bool PhotoCdReader::Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) {
    if (!OpenForReading(path, image, progress))
        return false;
    if (FileSizeOf(file_) < kMinimumFileSize) {
        Close();
        return false;
    }
    const ResolutionLayout& layout = kLayouts[resolution_];
    width_ = layout.width;
    height_ = layout.height;
    dataOffset_ = layout.offset;
    kind_ = KIND_PHOTOCD_BASE16 + static_cast<int32_t>(resolution_);
    return true;
}

bool PhotoCdReader::Decode() {
    if (!file_ || !image_)
        return false;
    HeapBuffer luma1, luma2, chroma;
    bool ok = image_->Create(width_, height_, 24, 0) && luma1.Allocate(size_t(width_)) &&
              luma2.Allocate(size_t(width_)) && chroma.Allocate(size_t(width_)) &&
              std::fseek(file_, dataOffset_, SEEK_SET) == 0;
    const int32_t half = width_ / 2;
    for (int32_t y = 0; ok && y < height_; y += 2) {
        ok = ReadExactly(luma1.data(), luma1.size()) && ReadExactly(luma2.data(), luma2.size()) &&
             ReadExactly(chroma.data(), chroma.size());
        if (!ok)
            break;
        const uint8_t* c = chroma.data();
        for (int32_t pair = 0; pair < 2 && y + pair < height_; ++pair) {
            const uint8_t* luma = pair == 0 ? luma1.data() : luma2.data();
            uint8_t* dst = image_->Row(y + pair);
            for (int32_t x = 0; x < width_; ++x, dst += 3) {
                PhotoYccToRgb(luma[x], c[x / 2] - 156, c[half + x / 2] - 137, dst);
            }
            ReportRow(y + pair);
        }
    }
    return FinishDecoding(ok);
}

bool PhotoCdReader::Close() {
    CloseFile();
    reading_ = false;
    return true;
}

}  // namespace imageconv
