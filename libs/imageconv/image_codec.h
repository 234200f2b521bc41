// The shape shared by every format's reader and writer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "libs/imageconv/raster_image.h"
#include "platform/base/picture_limits.h"
#include "runtime/values.h"

namespace imageconv {

// Called after every row: (1 reading / 0 writing, percent done, row, 0).
using ProgressCallback = void (*)(int32_t reading, int32_t percent, int32_t row, int32_t reserved);

// Kinds the codecs record for what they found or chose.
enum ImageKind : int32_t {
    KIND_NONE = 0,
    KIND_PHOTOCD_BASE16 = 11,
    KIND_PHOTOCD_BASE4 = 12,
    KIND_PHOTOCD_BASE = 13,
    KIND_JPEG_COLOUR = 14,
    KIND_JPEG_GRAY = 15,
    KIND_BMP_WINDOWS = 20,
    KIND_BMP_OS2 = 27,
    KIND_PNG_GRAY = 31,
    KIND_PNG_RGB = 33,
    KIND_PNG_RGBA = 34,
    KIND_PNG_PALETTE = 38,
    KIND_TIFF_GRAY8 = 39,
    KIND_TIFF_RGB = 40,
};

class ImageCodec {
public:
    virtual ~ImageCodec() = default;
    ImageCodec(const ImageCodec&) = delete;
    ImageCodec& operator=(const ImageCodec&) = delete;

    // Releases library state and the file; safe in any state, any number of times.
    virtual bool Close() = 0;

    int32_t kind() const { return kind_; }
    // Why the last operation failed, e.g. libjpeg's "Premature end of JPEG
    // file"; empty when it succeeded or gave no reason.
    const std::string& problem() const { return problem_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

protected:
    ImageCodec() = default;

    void ReportRow(int32_t row) const {
        if (progress_ && height_ > 0) {
            progress_(reading_ ? 1 : 0, int32_t((int64_t(row) + 1) * 100 / height_), row, 0);
        }
    }
    void CloseFile() {
        if (file_)
            std::fclose(file_);
        file_ = nullptr;
    }
    // Fills the whole buffer or reports failure: a short read anywhere fails.
    bool ReadExactly(void* buffer, size_t size) {
        return file_ && std::fread(buffer, 1, size, file_) == size;
    }
    // Records why the operation fails (the first reason stands) and answers
    // false.
    bool Fail(std::string reason) {
        if (problem_.empty())
            problem_ = std::move(reason);
        return false;
    }
    // Fails with the limits' reason when the declared size may not be read
    // from a file of `fileBytes` bytes (platform/base/picture_limits.h).
    bool WithinLimits(uint64_t fileBytes, platform::PictureCoding coding);

    ProgressCallback progress_ = nullptr;
    FILE* file_ = nullptr;
    bool reading_ = false;
    bool writing_ = false;
    std::string path_;
    std::string problem_;
    int32_t kind_ = KIND_NONE;
    int32_t width_ = 0;
    int32_t height_ = 0;
    RasterImage* image_ = nullptr;
};

// closed -> Probe accepted (file open, size and kind known) -> Decode (file closed).
class ImageReader : public ImageCodec {
public:
    // Opens and checks the file; keeps it open only when it accepts.
    virtual bool Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) = 0;
    // Fills the image and closes the file; on failure the image is left empty.
    virtual bool Decode() = 0;

protected:
    // The start of every Probe that reads a plain file: forgets the previous
    // file, remembers where the image and progress go, and opens `path`.
    // Answers whether the file opened.
    bool OpenForReading(rt::ConstText path, RasterImage* image, ProgressCallback progress);
    // The end of every Decode that reads a plain file: on failure the image
    // is left empty; the file is closed either way. Answers `decoded`.
    bool FinishDecoding(bool decoded);
};

// The size of the open file, or -1.
long FileSizeOf(FILE* file);

}  // namespace imageconv
