// JPEG through libjpeg-turbo, with the shared error policy
// (platform/base/jpeg_error_trap.h): library errors jump back here keeping
// libjpeg's message, and the warnings that mean the data ran out or broke
// off fail the load too, where the library alone would pad the picture with
// grey. The declared size is checked before the decoder starts, and the
// decoder's own memory is capped.
#include <cstdlib>

#include "platform/base/jpeg_error_trap.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"

namespace platform::imaging {
namespace {

// The decode runs in a function of its own with nothing that has a
// destructor, so the long jump skips no C++ clean-up.
Image* DecodeInto(jpeg_decompress_struct& info, JpegErrorTrap& trap, Bytes file,
                  std::unique_ptr<Image>& result, std::vector<uint8_t>& line,
                  std::string& problem) {
    if (setjmp(trap.jump))
        return nullptr;
    jpeg_mem_src(&info, file.data, static_cast<unsigned long>(file.size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return nullptr;
    problem = JpegSizeProblem(info, file.size);
    if (!problem.empty())
        return nullptr;
    info.out_color_space = JCS_EXT_BGR;  // grey and CMYK come out as colour too
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        info.out_color_space = JCS_CMYK;
    }
    // The picture is made (and waits for its memory and its core turn,
    // core_turns.h) before the decoder starts: a progressive file is read
    // whole into the decoder's coefficients when it starts, and a worker
    // waiting for its turn should not hold those.
    jpeg_calc_output_dimensions(&info);
    result = Image::Create(info.output_width, info.output_height, PixelLayout::Bgr24);
    if (!result) {
        problem = kNoMemoryForPixels;
        return nullptr;
    }
    jpeg_start_decompress(&info);
    if (info.output_width != result->width() || info.output_height != result->height())
        return nullptr;
    if (info.out_color_space == JCS_CMYK) {
        // Adobe writes CMYK inverted; this is what every viewer assumes.
        line.resize(size_t(info.output_width) * 4);
        while (info.output_scanline < info.output_height) {
            uint8_t* out = result->row(info.output_scanline);
            JSAMPROW rows[1] = {line.data()};
            jpeg_read_scanlines(&info, rows, 1);
            // Missing data stops the decode at once: a few bytes can declare
            // millions of rows that libjpeg would pad out one by one.
            if (trap.damaged)
                return nullptr;
            for (uint32_t x = 0; x < info.output_width; ++x) {
                unsigned k = line[x * 4 + 3];
                out[x * 3 + 0] = uint8_t(line[x * 4 + 2] * k / 255);
                out[x * 3 + 1] = uint8_t(line[x * 4 + 1] * k / 255);
                out[x * 3 + 2] = uint8_t(line[x * 4 + 0] * k / 255);
            }
        }
    } else {
        while (info.output_scanline < info.output_height) {
            JSAMPROW rows[8];
            uint32_t n = 0;
            for (; n < 8 && info.output_scanline + n < info.output_height; ++n) {
                rows[n] = result->row(info.output_scanline + n);
            }
            jpeg_read_scanlines(&info, rows, n);
            if (trap.damaged)
                return nullptr;
        }
    }
    jpeg_finish_decompress(&info);
    return trap.damaged ? nullptr : result.get();
}

bool EncodeInto(jpeg_compress_struct& info, JpegErrorTrap& trap, const Image& image, int quality,
                unsigned char** buffer, unsigned long* size) {
    if (setjmp(trap.jump))
        return false;
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = image.width();
    info.image_height = image.height();
    info.input_components = image.hasAlpha() ? 4 : 3;
    info.in_color_space = image.hasAlpha() ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[8];
        uint32_t n = 0;
        for (; n < 8 && info.next_scanline + n < info.image_height; ++n) {
            rows[n] = const_cast<uint8_t*>(image.row(info.next_scanline + n));
        }
        jpeg_write_scanlines(&info, rows, n);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

std::unique_ptr<Image> DecodeJpeg(Bytes file) {
    jpeg_decompress_struct info;
    JpegErrorTrap trap;
    info.err = InstallJpegErrorTrap(trap);
    jpeg_create_decompress(&info);
    LimitJpegDecoder(info);
    std::unique_ptr<Image> result;
    std::vector<uint8_t> cmykLine;
    std::string problem;
    Image* decoded = DecodeInto(info, trap, file, result, cmykLine, problem);
    jpeg_destroy_decompress(&info);
    if (!decoded) {
        if (!problem.empty())
            return Refuse(problem);
        return Refuse(JpegProblem(trap, "the JPEG data is damaged"));
    }
    return result;
}

bool EncodeJpeg(const Image& image, int quality, Output& out) {
    jpeg_compress_struct info;
    JpegErrorTrap trap;
    info.err = InstallJpegErrorTrap(trap);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool ok = EncodeInto(info, trap, image, quality < 1 ? 1 : quality, &buffer, &size);
    jpeg_destroy_compress(&info);
    if (ok)
        out.insert(out.end(), buffer, buffer + size);
    else
        SetFailureReason(JpegProblem(trap, "the JPEG encoder failed"));
    std::free(buffer);
    return ok;
}

}  // namespace platform::imaging
