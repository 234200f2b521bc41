// Reads 8-bit palette and 24-bit three-plane PCX files.
#pragma once

#include "libs/imageconv/image_codec.h"

namespace imageconv {

class PcxReader final : public ImageReader {
public:
    ~PcxReader() override { Close(); }
    bool Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) override;
    bool Decode() override;
    bool Close() override;

private:
    int32_t depth_ = 0;
    uint32_t bytesPerLine_ = 0;
};

}  // namespace imageconv
