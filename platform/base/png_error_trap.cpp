#include "platform/base/png_error_trap.h"

#include <cstring>

#include "platform/base/picture_limits.h"

namespace platform {
namespace {

[[noreturn]] void JumpBack(png_structp png, png_const_charp message) {
    auto* trap = static_cast<PngErrorTrap*>(png_get_error_ptr(png));
    if (trap && trap->message[0] == 0 && message) {
        std::strncpy(trap->message, message, sizeof trap->message - 1);
    }
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

}  // namespace

png_structp CreatePngReader(PngErrorTrap& trap) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &trap, JumpBack, IgnoreWarning);
    if (png) {
        png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
        // Text and other ancillary chunks are not ours to keep in memory.
        png_set_chunk_malloc_max(png, 8u << 20);
        png_set_chunk_cache_max(png, 1000);
    }
    return png;
}

png_structp CreatePngWriter(PngErrorTrap& trap) {
    return png_create_write_struct(PNG_LIBPNG_VER_STRING, &trap, JumpBack, IgnoreWarning);
}

std::string PngSizeProblem(png_structp png, png_infop info, uint64_t fileBytes) {
    return PictureSizeProblem(png_get_image_width(png, info), png_get_image_height(png, info),
                              fileBytes, PictureCoding::Deflate);
}

std::string PngProblem(const PngErrorTrap& trap, const char* fallback) {
    if (trap.message[0] != 0)
        return trap.message;
    return fallback;
}

}  // namespace platform
