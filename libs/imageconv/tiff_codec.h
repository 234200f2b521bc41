// TIFF through libtiff: anything libtiff can render as RGBA in; 8-bit gray
// (palette with a gray ramp) or 24-bit RGB out, uncompressed.
#pragma once

#include <tiffio.h>

#include "libs/imageconv/image_codec.h"

namespace imageconv {

class TiffReader final : public ImageReader {
public:
    ~TiffReader() override { Close(); }
    bool Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) override;
    bool Decode() override;
    bool Close() override;

private:
    TIFF* tiff_ = nullptr;
    uint64_t fileBytes_ = 0;
};

class TiffWriter final : public ImageCodec {
public:
    ~TiffWriter() override { Close(); }
    // depth 8 (gray) or 24 (RGB).
    bool Open(rt::ConstText path, RasterImage* image, int32_t depth, ProgressCallback progress);
    bool Write();
    bool Close() override;

private:
    TIFF* tiff_ = nullptr;
    int32_t depth_ = 0;
    RasterImage converted_;
};

}  // namespace imageconv
