// PNG through libpng: every 8-bit-or-less kind in; palette, RGB or RGBA out,
// always Adam7-interlaced. Errors follow the shared policy of
// platform/base/png_error_trap.h.
#pragma once

#include "libs/imageconv/heap_buffer.h"
#include "libs/imageconv/image_codec.h"
#include "platform/base/png_error_trap.h"

namespace imageconv {

class PngReader final : public ImageReader {
public:
    ~PngReader() override { Close(); }
    bool Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) override;
    bool Decode() override;
    bool Close() override;

private:
    bool ReadHeader();
    bool ReadPixels();

    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    platform::PngErrorTrap trap_;
    int colourType_ = 0;
    long fileBytes_ = 0;
};

class PngWriter final : public ImageCodec {
public:
    ~PngWriter() override { Close(); }
    // depth 8 needs 1..256 colours (palette); 24 is RGB, 32 RGB with alpha.
    bool Open(rt::ConstText path, RasterImage* image, int32_t depth, int32_t colours,
              ProgressCallback progress);
    bool Write();
    bool Close() override;

private:
    bool CreateWriter();
    bool WriteRows(const RasterImage& source);

    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    platform::PngErrorTrap trap_;
    int32_t depth_ = 0;
    int32_t colours_ = 0;
    HeapBuffer palette_;
    HeapBuffer rowPointers_;
    RasterImage converted_;
};

}  // namespace imageconv
