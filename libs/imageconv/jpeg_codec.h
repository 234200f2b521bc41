// JPEG through libjpeg-turbo: gray or colour in, gray or colour out.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "libs/imageconv/image_codec.h"

namespace imageconv {

// libjpeg reports fatal errors by calling error_exit, which must not return:
// ours jumps back into the codec operation that was running.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    // Set by warnings that mean the data ended early or is damaged; libjpeg
    // would otherwise pad the picture with gray and call it a success.
    bool dataDamaged;
};

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
    JpegErrorManager error_{};
    bool decompressorLive_ = false;
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
    JpegErrorManager error_{};
    bool compressorLive_ = false;
    bool colour_ = true;
    RasterImage converted_;
};

}  // namespace imageconv
