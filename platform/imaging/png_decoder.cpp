// PNG of every bit depth and colour type through libpng, normalised to
// 8-bit BGR, or BGRA when the file has alpha or a transparent colour.
// Errors go through the shared trap (platform/base/png_error_trap.h), which
// keeps libpng's message. The common 8-bit RGB and RGBA files have their
// image data inflated and unfiltered by png_rows.h once libpng has read and
// checked the header; whatever that path finds irregular is decoded again
// by libpng alone.
#include <cstring>
#include <vector>

#include "platform/base/png_error_trap.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"
#include "platform/imaging/png_rows.h"

namespace platform::imaging {
namespace {

struct Reader {
    Bytes file;
    size_t at = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (count > reader->file.size - reader->at)
        png_error(png, "the PNG data ends early");
    std::memcpy(out, reader->file.data + reader->at, count);
    reader->at += count;
}

// Nothing with a destructor lives in this frame, so the long jump is safe.
// Whether png_rows.h can take over after png_read_info, which stops just
// past the first IDAT chunk's length and type.
bool TakesFastPath(png_structp png, png_infop info, const Reader& reader) {
    const int colourType = png_get_color_type(png, info);
    return png_get_bit_depth(png, info) == 8 &&
           (colourType == PNG_COLOR_TYPE_RGB || colourType == PNG_COLOR_TYPE_RGB_ALPHA) &&
           png_get_interlace_type(png, info) == PNG_INTERLACE_NONE &&
           !png_get_valid(png, info, PNG_INFO_tRNS) && reader.at >= 8 &&
           std::memcmp(reader.file.data + reader.at - 4, "IDAT", 4) == 0;
}

// `irregular` is set when the fast path gave up and libpng alone must try.
Image* DecodeInto(png_structp png, png_infop info, Reader& reader, std::unique_ptr<Image>& result,
                  std::vector<png_bytep>& rows, std::string& problem, bool allowFast,
                  bool& irregular) {
    if (setjmp(png_jmpbuf(png)))
        return nullptr;
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    problem = PngSizeProblem(png, info, reader.file.size);
    if (!problem.empty())
        return nullptr;
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    int colourType = png_get_color_type(png, info);
    bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    if (allowFast && TakesFastPath(png, info, reader)) {
        result = Image::Create(width, height, alpha ? PixelLayout::Bgra32 : PixelLayout::Bgr24);
        if (!result) {
            problem = kNoMemoryForPixels;
            return nullptr;
        }
        if (InflatePngRows(reader.file, reader.at - 8, *result))
            return result.get();
        result.reset();
        irregular = true;
        return nullptr;
    }

    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    png_set_scale_16(png);
    if (!(colourType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * (alpha ? 4 : 3)) {
        problem = "an unexpected PNG row layout";
        return nullptr;
    }

    result = Image::Create(width, height, alpha ? PixelLayout::Bgra32 : PixelLayout::Bgr24);
    if (!result) {
        problem = kNoMemoryForPixels;
        return nullptr;
    }
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = result->row(y);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return result.get();
}

std::unique_ptr<Image> DecodeOnce(Bytes file, bool allowFast, bool& irregular) {
    PngErrorTrap trap;
    png_structp png = CreatePngReader(trap);
    if (!png)
        return Refuse(kNoMemoryForPixels);
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return Refuse(kNoMemoryForPixels);
    }
    Reader reader{file};
    std::unique_ptr<Image> result;
    std::vector<png_bytep> rows;
    std::string problem;
    Image* decoded = DecodeInto(png, info, reader, result, rows, problem, allowFast, irregular);
    png_destroy_read_struct(&png, &info, nullptr);
    if (irregular)
        return nullptr;
    if (!decoded)
        return Refuse(!problem.empty() ? problem : PngProblem(trap, "the PNG data is damaged"));
    return result;
}

}  // namespace

std::unique_ptr<Image> DecodePng(Bytes file) {
    bool irregular = false;
    auto image = DecodeOnce(file, true, irregular);
    if (irregular) {
        irregular = false;
        image = DecodeOnce(file, false, irregular);
    }
    return image;
}

}  // namespace platform::imaging
