#include "libs/imageconv/jpeg_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "libs/imageconv/image_file.h"

namespace imageconv {

// --- reading ---------------------------------------------------------------

bool JpegReader::Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) {
    if (!OpenForReading(path, image, progress))
        return false;
    fileBytes_ = FileSizeOf(file_);
    sizeProblem_.clear();
    uint8_t signature[2];
    if (!ReadExactly(signature, 2) || signature[0] != 0xFF || signature[1] != 0xD8 ||
        std::fseek(file_, 0, SEEK_SET) != 0 || !StartDecompressor()) {
        Close();
        return false;
    }
    return true;
}

// Nothing with a destructor lives in this frame: longjmp may leave it.
bool JpegReader::StartDecompressor() {
    decompress_.err = platform::InstallJpegErrorTrap(error_);
    if (setjmp(error_.jump))
        return false;
    jpeg_create_decompress(&decompress_);
    decompressorLive_ = true;
    // Progressive files are buffered whole as coefficients inside libjpeg;
    // beyond the cap the library fails cleanly instead of exhausting memory.
    platform::LimitJpegDecoder(decompress_);
    jpeg_stdio_src(&decompress_, file_);
    if (jpeg_read_header(&decompress_, TRUE) != JPEG_HEADER_OK)
        return false;
    // A declared size beyond the limits is the decoder's to refuse: the
    // probe has seen a JPEG and no later reader gets the file.
    sizeProblem_ = platform::JpegSizeProblem(decompress_, uint64_t(fileBytes_));
    if (!sizeProblem_.empty()) {
        width_ = static_cast<int32_t>(std::min<JDIMENSION>(decompress_.image_width, INT32_MAX));
        height_ = static_cast<int32_t>(std::min<JDIMENSION>(decompress_.image_height, INT32_MAX));
        return true;
    }
    jpeg_start_decompress(&decompress_);
    const int components = decompress_.output_components;
    if (decompress_.output_width == 0 || decompress_.output_height == 0 ||
        decompress_.output_width > INT32_MAX || decompress_.output_height > INT32_MAX ||
        (components != 1 && components != 3)) {
        return false;
    }
    width_ = static_cast<int32_t>(decompress_.output_width);
    height_ = static_cast<int32_t>(decompress_.output_height);
    kind_ = components == 3 ? KIND_JPEG_COLOUR : KIND_JPEG_GRAY;
    return true;
}

bool JpegReader::ReadRows() {
    if (setjmp(error_.jump))
        return false;
    while (decompress_.output_scanline < decompress_.output_height) {
        const auto row = static_cast<int32_t>(decompress_.output_scanline);
        JSAMPROW target = image_->Row(row);
        // Stop at the first sign of missing data: a few hundred bytes can
        // declare gigapixels that libjpeg would otherwise pad out row by row.
        if (jpeg_read_scanlines(&decompress_, &target, 1) != 1 || error_.damaged) {
            return false;
        }
        ReportRow(row);
    }
    jpeg_finish_decompress(&decompress_);
    return !error_.damaged;
}

bool JpegReader::Decode() {
    if (!decompressorLive_ || !image_)
        return false;
    bool ok = sizeProblem_.empty() || Fail(sizeProblem_);
    ok = ok && (image_->Create(width_, height_, kind_ == KIND_JPEG_COLOUR ? 24 : 8, 0) ||
                Fail("no room for the picture's pixels"));
    ok = ok && (ReadRows() || Fail(platform::JpegProblem(error_, "the JPEG data is damaged")));
    if (!ok)
        image_->Clear();
    Close();
    return ok;
}

bool JpegReader::Close() {
    if (decompressorLive_)
        jpeg_destroy_decompress(&decompress_);
    decompressorLive_ = false;
    CloseFile();
    reading_ = false;
    return true;
}

// --- writing ---------------------------------------------------------------

bool JpegWriter::Open(rt::ConstText path, RasterImage* image, const JpegWriteParameters& parameters,
                      ProgressCallback progress) {
    Close();
    problem_.clear();
    if (parameters.quality < 1 || parameters.quality > 100 || parameters.smoothing < 0 ||
        parameters.smoothing > 100 || !image || !image->HasPixels()) {
        return false;
    }
    path_ = path ? path : "";
    image_ = image;
    progress_ = progress;
    colour_ = parameters.colour;
    width_ = image->width();
    height_ = image->height();
    kind_ = colour_ ? KIND_JPEG_COLOUR : KIND_JPEG_GRAY;
    file_ = OpenImageFile(path, FileAccess::Write);
    if (!file_)
        return Fail(std::string("the file cannot be created: ") + std::strerror(errno));
    writing_ = true;
    if (!StartCompressor(parameters)) {
        Close();
        return false;
    }
    return true;
}

bool JpegWriter::StartCompressor(const JpegWriteParameters& parameters) {
    compress_.err = platform::InstallJpegErrorTrap(error_);
    if (setjmp(error_.jump))
        return false;
    jpeg_create_compress(&compress_);
    compressorLive_ = true;
    jpeg_stdio_dest(&compress_, file_);
    compress_.image_width = static_cast<JDIMENSION>(width_);
    compress_.image_height = static_cast<JDIMENSION>(height_);
    compress_.input_components = colour_ ? 3 : 1;
    compress_.in_color_space = colour_ ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&compress_);
    compress_.optimize_coding = parameters.optimise ? TRUE : FALSE;
    compress_.smoothing_factor = parameters.smoothing;
    jpeg_set_quality(&compress_, parameters.quality, TRUE);
    jpeg_start_compress(&compress_, TRUE);
    return true;
}

bool JpegWriter::WriteRows(const RasterImage& source) {
    if (setjmp(error_.jump))
        return false;
    while (compress_.next_scanline < compress_.image_height) {
        const auto row = static_cast<int32_t>(compress_.next_scanline);
        JSAMPROW line = source.Row(row);
        if (jpeg_write_scanlines(&compress_, &line, 1) != 1)
            return false;
        ReportRow(row);
    }
    jpeg_finish_compress(&compress_);
    return true;
}

bool JpegWriter::Write() {
    if (!compressorLive_ || !image_ || !image_->HasPixels())
        return false;
    const RasterImage* source = image_;
    const bool usable =
        colour_ ? image_->depth() == 24 : (image_->depth() == 8 && image_->colourCount() == 0);
    if (!usable) {
        if (!image_->ConvertTo(converted_, colour_ ? 24 : 8, 0))
            return false;
        source = &converted_;
    }
    bool ok = WriteRows(*source) || Fail(platform::JpegProblem(error_, "the JPEG encoder failed"));
    converted_.Clear();
    // Buffered bytes that cannot reach the disk are a failed write too.
    ok = ok && ((std::fflush(file_) == 0 && !std::ferror(file_)) ||
                Fail(std::string("writing the file failed: ") + std::strerror(errno)));
    return ok;
}

bool JpegWriter::Close() {
    if (compressorLive_)
        jpeg_destroy_compress(&compress_);
    compressorLive_ = false;
    converted_.Clear();
    CloseFile();
    writing_ = false;
    return true;
}

}  // namespace imageconv
