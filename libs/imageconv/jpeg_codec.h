// JPEG through libjpeg-turbo: gray or colour in, gray or colour out. Errors
// follow the shared policy of platform/base/jpeg_error_trap.h.
#pragma once

#include "libs/imageconv/image_codec.h"
#include "platform/base/jpeg_error_trap.h"

namespace imageconv {

class JpegReader final : public ImageReader {
public:
    ~JpegReader() override { Close(); }
    bool Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) override;
    bool Decode() override;
    bool Close() override;

private:
    bool StartDecompressor();
    bool ReadRows();

    jpeg_decompress_struct decompress_{};
    platform::JpegErrorTrap error_{};
    bool decompressorLive_ = false;
    long fileBytes_ = 0;
    std::string sizeProblem_;
};

struct JpegWriteParameters {
    int32_t quality = 100;  // 1..100
    bool colour = true;     // false: one gray component
    bool optimise = true;   // optimised entropy coding
    int32_t smoothing = 0;  // 0..100
};

class JpegWriter final : public ImageCodec {
public:
    ~JpegWriter() override { Close(); }
    bool Open(rt::ConstText path, RasterImage* image, const JpegWriteParameters& parameters,
              ProgressCallback progress);
    bool Write();
    bool Close() override;

private:
    bool StartCompressor(const JpegWriteParameters& parameters);
    bool WriteRows(const RasterImage& source);

    jpeg_compress_struct compress_{};
    platform::JpegErrorTrap error_{};
    bool compressorLive_ = false;
    bool colour_ = true;
    RasterImage converted_;
};

}  // namespace imageconv
