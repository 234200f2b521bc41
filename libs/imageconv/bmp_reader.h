// Reads 24-bit BMP files (Windows and OS/2 headers); other depths are declined.
#pragma once

#include "libs/imageconv/image_codec.h"

namespace imageconv {

class BmpReader final : public ImageReader {
public:
    ~BmpReader() override { Close(); }
    bool Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) override;
    bool Decode() override;
    bool Close() override;

private:
    uint32_t dataOffset_ = 0;
    bool bottomUp_ = true;
};

}  // namespace imageconv
