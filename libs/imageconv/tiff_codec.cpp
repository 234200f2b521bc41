#include "libs/imageconv/tiff_codec.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "libs/imageconv/heap_buffer.h"
#include "libs/imageconv/image_file.h"
#include "libs/imageconv/mapped_buffer.h"

namespace imageconv {

namespace {

constexpr std::string_view kRasterPrefix = "picbatch-tiff-";

// libtiff's complaints go to the codec that opened the file, never to
// stderr: the first error is kept as the codec's reason, warnings dropped.
int KeepError(TIFF*, void* data, const char* module, const char* format, va_list arguments) {
    auto* reason = static_cast<std::string*>(data);
    if (reason && reason->empty()) {
        char text[200];
        std::vsnprintf(text, sizeof text, format, arguments);
        *reason = std::string(module ? module : "TIFF") + ": " + text;
    }
    return 1;
}

int Quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

TIFF* OpenTiff(rt::ConstText path, FileAccess access, std::string* reason) {
    int fd = OpenImageFileDescriptor(path, access);
    if (fd < 0)
        return nullptr;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFF* tiff = nullptr;
    if (options) {
        TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, reason);
        TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, platform::kMaxCodecMemory);
        tiff = TIFFFdOpenExt(fd, path ? path : "", access == FileAccess::Read ? "r" : "w", options);
        TIFFOpenOptionsFree(options);
    }
    // A TIFF handle owns its descriptor (TIFFClose closes it); a failed open
    // leaves the descriptor to us.
    if (!tiff)
        close(fd);
    return tiff;
}

platform::PictureCoding CodingOf(TIFF* tiff) {
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    switch (compression) {
        case COMPRESSION_NONE:
            return platform::PictureCoding::Uncompressed;
        case COMPRESSION_CCITTRLE:
        case COMPRESSION_CCITTFAX3:
        case COMPRESSION_CCITTFAX4:
        case COMPRESSION_CCITTRLEW:
            return platform::PictureCoding::Fax;
        case COMPRESSION_LZW:
            return platform::PictureCoding::TiffLzw;
        case COMPRESSION_JPEG:
        case COMPRESSION_OJPEG:
            return platform::PictureCoding::Jpeg;
        case COMPRESSION_PACKBITS:
            return platform::PictureCoding::BmpRunLength;
        default:
            return platform::PictureCoding::Deflate;
    }
}

}  // namespace

// --- reading ---------------------------------------------------------------

bool TiffReader::Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) {
    Close();
    path_ = path ? path : "";
    problem_.clear();
    image_ = image;
    progress_ = progress;
    tiff_ = OpenTiff(path, FileAccess::Read, &problem_);
    if (!tiff_)
        return false;
    reading_ = true;
    struct stat info {};
    fileBytes_ = fstat(TIFFFileno(tiff_), &info) == 0 ? uint64_t(info.st_size) : 0;
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) {
        Close();
        return false;
    }
    width_ = static_cast<int32_t>(width);
    height_ = static_cast<int32_t>(height);
    kind_ = KIND_TIFF_RGB;
    return true;
}

bool TiffReader::Decode() {
    if (!tiff_ || !image_)
        return false;
    const size_t rasterBytes = size_t(width_) * size_t(height_) * 4;
    MappedBuffer raster;
    // Stop at the first damaged strip: reading on would hand back a picture
    // with holes and call it a success.
    bool ok = WithinLimits(fileBytes_, CodingOf(tiff_));
    if (ok &&
        !(image_->Create(width_, height_, 24, 0) && raster.Allocate(rasterBytes, kRasterPrefix))) {
        ok = Fail("no room for the picture's pixels");
    }
    if (ok && TIFFReadRGBAImage(tiff_, uint32_t(width_), uint32_t(height_),
                                reinterpret_cast<uint32_t*>(raster.data()), 1) != 1) {
        ok = Fail("the TIFF data is damaged");
    }
    // libtiff hands the raster bottom row first; bytes 0..2 of each pixel
    // are red, green and blue, byte 3 the alpha we drop.
    for (int32_t y = 0; ok && y < height_; ++y) {
        const uint8_t* src = raster.data() + size_t(height_ - 1 - y) * size_t(width_) * 4;
        uint8_t* dst = image_->Row(y);
        for (int32_t x = 0; x < width_; ++x, src += 4, dst += 3) {
            dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
        }
        ReportRow(y);
    }
    raster.Release(true);
    if (!ok)
        image_->Clear();
    Close();
    return ok;
}

bool TiffReader::Close() {
    if (tiff_)
        TIFFClose(tiff_);
    tiff_ = nullptr;
    reading_ = false;
    return true;
}

// --- writing ---------------------------------------------------------------

bool TiffWriter::Open(rt::ConstText path, RasterImage* image, int32_t depth,
                      ProgressCallback progress) {
    Close();
    problem_.clear();
    if ((depth != 8 && depth != 24) || !image || !image->HasPixels())
        return false;
    path_ = path ? path : "";
    image_ = image;
    progress_ = progress;
    depth_ = depth;
    width_ = image->width();
    height_ = image->height();
    kind_ = depth == 8 ? KIND_TIFF_GRAY8 : KIND_TIFF_RGB;
    tiff_ = OpenTiff(path, FileAccess::Write, &problem_);
    if (!tiff_)
        return Fail("the file cannot be created");
    writing_ = true;
    return true;
}

bool TiffWriter::Write() {
    if (!tiff_ || !image_ || !image_->HasPixels())
        return false;
    const RasterImage* source = image_;
    if (image_->depth() != depth_ || image_->colourCount() != 0) {
        if (!image_->ConvertTo(converted_, depth_, 0))
            return false;
        source = &converted_;
    }
    TIFFSetField(tiff_, TIFFTAG_IMAGEWIDTH, uint32_t(width_));
    TIFFSetField(tiff_, TIFFTAG_IMAGELENGTH, uint32_t(height_));
    TIFFSetField(tiff_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    uint16_t ramp[256];
    if (depth_ == 8) {
        // A palette whose entries are a gray ramp (entry 255 is 65280).
        for (int i = 0; i < 256; ++i)
            ramp[i] = static_cast<uint16_t>(i * 256);
        TIFFSetField(tiff_, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff_, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff_, TIFFTAG_COLORMAP, ramp, ramp, ramp);
    } else {
        TIFFSetField(tiff_, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tiff_, TIFFTAG_BITSPERSAMPLE, 8);
    }
    TIFFSetField(tiff_, TIFFTAG_PHOTOMETRIC, depth_ == 8 ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB);
    TIFFSetField(tiff_, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff_, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff_, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff_, 0));

    HeapBuffer scanline;
    const size_t lineBytes = std::max(source->rowSize(), size_t(TIFFScanlineSize64(tiff_))) + 4;
    bool ok = scanline.Allocate(lineBytes);
    for (int32_t y = 0; ok && y < height_; ++y) {
        std::memcpy(scanline.data(), source->Row(y), source->rowSize());
        ok = TIFFWriteScanline(tiff_, scanline.data(), uint32_t(y), 0) >= 0;
        ReportRow(y);
    }
    // Closing writes the directory; a failure there is a failed write too.
    ok = ok && TIFFFlush(tiff_) == 1;
    if (!ok)
        Fail("writing the TIFF failed");
    converted_.Clear();
    return ok;
}

bool TiffWriter::Close() {
    if (tiff_)
        TIFFClose(tiff_);
    tiff_ = nullptr;
    converted_.Clear();
    writing_ = false;
    return true;
}

}  // namespace imageconv
