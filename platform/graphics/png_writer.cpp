#include "platform/graphics/png_writer.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files/replacing_file.h"

namespace platform {

bool WritePng(const PixelView& pixels, const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!pixels.pixels || pixels.width <= 0 || pixels.height <= 0)
        return fail("empty picture");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(pixels.width);
    image.height = png_uint_32(pixels.height);
    image.format = PNG_FORMAT_BGR;
    std::vector<uint8_t> rows(size_t(pixels.width) * pixels.height * 3);
    for (int y = 0; y < pixels.height; ++y) {
        const uint32_t* in = pixels.Row(y);
        uint8_t* out = rows.data() + size_t(y) * pixels.width * 3;
        for (int x = 0; x < pixels.width; ++x) {
            out[3 * x] = uint8_t(in[x]);
            out[3 * x + 1] = uint8_t(in[x] >> 8);
            out[3 * x + 2] = uint8_t(in[x] >> 16);
        }
    }
    std::string libraryProblem;
    auto encode = [&](int fd) {
        // The stream gets a descriptor of its own: closing it must leave the
        // stage's open for the commit.
        const int own = dup(fd);
        FILE* stream = own >= 0 ? fdopen(own, "wb") : nullptr;
        if (!stream) {
            if (own >= 0)
                close(own);
            return false;
        }
        const bool written = png_image_write_to_stdio(&image, stream, 0, rows.data(), 0, nullptr);
        if (!written)
            libraryProblem = image.message[0] ? image.message : "the PNG encoder failed";
        return std::fclose(stream) == 0 && written;
    };
    std::string problem;
    if (ReplaceFile(path, encode, &problem) != FileError::None)
        return fail(!libraryProblem.empty() ? libraryProblem : problem);
    return true;
}

}  // namespace platform
