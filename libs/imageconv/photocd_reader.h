// Reads one of the three smallest resolutions of a Kodak Photo CD image pack.
// The format has no signature: any file of at least 1 MiB is accepted, which
// is why the loader tries it last.
#pragma once

#include "libs/imageconv/image_codec.h"

namespace imageconv {

// Kodak's PhotoYCC to RGB: luma and the two chroma channels (already offset
// by 156 and 137) to a clamped 8-bit colour.
void PhotoYccToRgb(int luma, int chroma1, int chroma2, uint8_t* rgb);

class PhotoCdReader final : public ImageReader {
public:
    static constexpr long kMinimumFileSize = 0x100000;
    enum Resolution { kBase16 = 0, kBase4 = 1, kBase = 2 };

    explicit PhotoCdReader(Resolution resolution = kBase) : resolution_(resolution) {}
    ~PhotoCdReader() override { Close(); }
    bool Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) override;
    bool Decode() override;
    bool Close() override;

private:
    Resolution resolution_;
    long dataOffset_ = 0;
};

}  // namespace imageconv
