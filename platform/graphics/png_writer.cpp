#include "platform/graphics/png_writer.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {

bool WritePng(const PixelView& pixels, const std::string& path, std::string* error) {
    auto fail = [&](const char* why) {
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
    std::string temporary = path + ".partial";
    if (!png_image_write_to_file(&image, temporary.c_str(), 0, rows.data(), 0, nullptr)) {
        std::remove(temporary.c_str());
        return fail(image.message[0] ? image.message : "cannot write the file");
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return fail("cannot move the file into place");
    }
    return true;
}

}  // namespace platform
