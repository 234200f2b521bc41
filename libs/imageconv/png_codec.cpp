#include "libs/imageconv/png_codec.h"

#include <cerrno>
#include <cstring>

#include "libs/imageconv/image_file.h"

namespace imageconv {

namespace {

constexpr double kScreenGamma = 2.2;
constexpr double kSrgbFileGamma = 0.45455;
constexpr int kPaletteBytes = 768;

void ReadFromStream(png_structp png, png_bytep data, png_size_t length) {
    auto* file = static_cast<FILE*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, file) != length)
        png_error(png, "the file ends early");
}
void WriteToStream(png_structp png, png_bytep data, png_size_t length) {
    auto* file = static_cast<FILE*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, file) != length)
        png_error(png, "writing the file failed");
}
void FlushStream(png_structp png) {
    auto* file = static_cast<FILE*>(png_get_io_ptr(png));
    if (std::fflush(file) != 0)
        png_error(png, "flushing the file failed");
}

}  // namespace

// --- reading ---------------------------------------------------------------

bool PngReader::Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) {
    if (!OpenForReading(path, image, progress))
        return false;
    fileBytes_ = FileSizeOf(file_);
    trap_ = {};
    png_ = platform::CreatePngReader(trap_);
    if (png_)
        info_ = png_create_info_struct(png_);
    if (!info_ || !ReadHeader()) {
        Close();
        return false;
    }
    return true;
}

// Nothing with a destructor lives in this frame: longjmp may leave it.
bool PngReader::ReadHeader() {
    if (setjmp(png_jmpbuf(png_)))
        return false;
    png_set_read_fn(png_, file_, ReadFromStream);
    png_read_info(png_, info_);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, interlace = 0, compression = 0, filter = 0;
    png_get_IHDR(png_, info_, &width, &height, &bitDepth, &colourType_, &interlace, &compression,
                 &filter);
    if (bitDepth > 8 || width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) {
        return false;
    }
    width_ = static_cast<int32_t>(width);
    height_ = static_cast<int32_t>(height);
    png_set_packing(png_);
    if (colourType_ == PNG_COLOR_TYPE_PALETTE) {
        kind_ = KIND_PNG_PALETTE;
    } else if (colourType_ & PNG_COLOR_MASK_COLOR) {
        kind_ = (colourType_ & PNG_COLOR_MASK_ALPHA) ? KIND_PNG_RGBA : KIND_PNG_RGB;
    } else {
        // Gray with alpha keeps its gray levels; the alpha samples are dropped.
        if (colourType_ & PNG_COLOR_MASK_ALPHA)
            png_set_strip_alpha(png_);
        png_set_expand_gray_1_2_4_to_8(png_);
        kind_ = KIND_PNG_GRAY;
    }
    return true;
}

bool PngReader::ReadPixels() {
    if (setjmp(png_jmpbuf(png_)))
        return false;
    if (kind_ == KIND_PNG_PALETTE) {
        png_colorp palette = nullptr;
        int count = 0;
        if (!png_get_PLTE(png_, info_, &palette, &count) || count < 1 || count > 256)
            return false;
        if (!image_->Create(width_, height_, 8, count))
            return false;
        ColourEntry* table = image_->colours();
        for (int i = 0; i < count; ++i) {
            table[i] = {palette[i].red, palette[i].green, palette[i].blue, 0, 0};
        }
    } else {
        const int32_t depth = kind_ == KIND_PNG_RGBA ? 32 : kind_ == KIND_PNG_RGB ? 24 : 8;
        const bool reusable = image_->HasPixels() && image_->width() == width_ &&
                              image_->height() == height_ && image_->depth() == depth &&
                              image_->colourCount() == 0;
        if (!reusable && !image_->Create(width_, height_, depth, 0))
            return false;
    }
    double fileGamma = kSrgbFileGamma;
    if (!png_get_valid(png_, info_, PNG_INFO_sRGB)) {
        double stored = 0;
        if (png_get_gAMA(png_, info_, &stored) && stored > 0)
            fileGamma = stored;
    }
    png_set_gamma(png_, kScreenGamma, fileGamma);
    if (kind_ == KIND_PNG_RGBA)
        png_set_swap_alpha(png_);
    const int passes = png_set_interlace_handling(png_);
    png_read_update_info(png_, info_);
    // The transforms above must leave exactly the rows our image holds.
    if (png_get_rowbytes(png_, info_) != image_->rowSize())
        return false;
    for (int pass = 0; pass < passes; ++pass) {
        for (int32_t y = 0; y < height_; ++y) {
            png_read_row(png_, image_->Row(y), nullptr);
            if (pass == passes - 1)
                ReportRow(y);
        }
    }
    png_read_end(png_, nullptr);
    return true;
}

bool PngReader::Decode() {
    if (!png_ || !image_)
        return false;
    const bool ok = WithinLimits(uint64_t(fileBytes_), platform::PictureCoding::Deflate) &&
                    (ReadPixels() || Fail(platform::PngProblem(trap_, "the PNG data is damaged")));
    if (!ok)
        image_->Clear();
    Close();
    return ok;
}

bool PngReader::Close() {
    if (png_)
        png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    png_ = nullptr;
    info_ = nullptr;
    CloseFile();
    reading_ = false;
    return true;
}

// --- writing ---------------------------------------------------------------

bool PngWriter::Open(rt::ConstText path, RasterImage* image, int32_t depth, int32_t colours,
                     ProgressCallback progress) {
    Close();
    problem_.clear();
    if (depth == 8) {
        if (colours < 1 || colours > 256)
            return false;
        kind_ = KIND_PNG_PALETTE;
    } else if (depth == 24 || depth == 32) {
        colours = 0;
        kind_ = depth == 24 ? KIND_PNG_RGB : KIND_PNG_RGBA;
    } else {
        return false;
    }
    if (!image || !image->HasPixels())
        return false;
    path_ = path ? path : "";
    image_ = image;
    progress_ = progress;
    depth_ = depth;
    colours_ = colours;
    width_ = image->width();
    height_ = image->height();
    file_ = OpenImageFile(path, FileAccess::Write);
    if (!file_)
        return Fail(std::string("the file cannot be created: ") + std::strerror(errno));
    writing_ = true;
    trap_ = {};
    png_ = platform::CreatePngWriter(trap_);
    if (png_)
        info_ = png_create_info_struct(png_);
    if (!info_ || !palette_.Allocate(kPaletteBytes) || !CreateWriter()) {
        Close();
        return false;
    }
    return true;
}

bool PngWriter::CreateWriter() {
    if (setjmp(png_jmpbuf(png_)))
        return false;
    png_set_write_fn(png_, file_, WriteToStream, FlushStream);
    return true;
}

bool PngWriter::WriteRows(const RasterImage& source) {
    if (setjmp(png_jmpbuf(png_)))
        return false;
    int colourType = PNG_COLOR_TYPE_RGB;
    if (depth_ == 8) {
        colourType = PNG_COLOR_TYPE_PALETTE;
        const ColourEntry* table = source.colours();
        uint8_t* p = palette_.data();
        for (int32_t i = 0; i < source.colourCount(); ++i, p += 3) {
            p[0] = table[i].red, p[1] = table[i].green, p[2] = table[i].blue;
        }
    } else if (depth_ == 32) {
        colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    }
    png_set_IHDR(png_, info_, png_uint_32(width_), png_uint_32(height_), 8, colourType,
                 PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (depth_ == 8) {
        png_set_PLTE(png_, info_, reinterpret_cast<png_colorp>(palette_.data()),
                     source.colourCount());
    }
    png_write_info(png_, info_);
    // Our 32-bit pixels are alpha first; libpng reorders them as it writes,
    // so the caller's image is never modified.
    if (depth_ == 32)
        png_set_swap_alpha(png_);
    const int passes = png_set_interlace_handling(png_);
    auto** rows = reinterpret_cast<png_bytep*>(rowPointers_.data());
    for (int pass = 0; pass < passes; ++pass) {
        for (int32_t y = 0; y < height_; ++y) {
            png_write_row(png_, rows[y]);
            if (pass == passes - 1)
                ReportRow(y);
        }
    }
    png_write_end(png_, info_);
    return true;
}

bool PngWriter::Write() {
    if (!png_ || !image_ || !image_->HasPixels())
        return false;
    const RasterImage* source = image_;
    if (image_->depth() != depth_ || image_->colourCount() != colours_) {
        if (!image_->ConvertTo(converted_, depth_, colours_))
            return false;
        source = &converted_;
    }
    bool ok = rowPointers_.Allocate(sizeof(png_bytep) * size_t(height_));
    if (ok) {
        auto** rows = reinterpret_cast<png_bytep*>(rowPointers_.data());
        for (int32_t y = 0; y < height_; ++y)
            rows[y] = source->Row(y);
        ok = WriteRows(*source) || Fail(platform::PngProblem(trap_, "the PNG encoder failed"));
    }
    rowPointers_.Release();
    converted_.Clear();
    ok = ok && std::fflush(file_) == 0 && !std::ferror(file_);
    return ok;
}

bool PngWriter::Close() {
    if (png_)
        png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
    png_ = nullptr;
    info_ = nullptr;
    palette_.Release();
    rowPointers_.Release();
    converted_.Clear();
    CloseFile();
    writing_ = false;
    return true;
}

}  // namespace imageconv
