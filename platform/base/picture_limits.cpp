#include "platform/base/picture_limits.h"

namespace platform {

uint64_t MaxPixelsPerByte(PictureCoding coding) {
    switch (coding) {
        case PictureCoding::Uncompressed:
            return 8;
        case PictureCoding::PcxRunLength:
            return 32;
        case PictureCoding::BmpRunLength:
            return 128;
        case PictureCoding::Jpeg:
            return 1024;
        case PictureCoding::GifLzw:
            return 2731;
        case PictureCoding::TiffLzw:
            return 21846;
        case PictureCoding::Deflate:
            return 8256;
        case PictureCoding::Fax:
            return 0;
    }
    return 0;
}

std::string PictureSizeProblem(uint64_t width, uint64_t height, uint64_t fileBytes,
                               PictureCoding coding) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width == 0 || height == 0)
        return "the picture declares " + size + " pixels";
    if (width > kMaxPictureSide || height > kMaxPictureSide) {
        return "the picture declares " + size + " pixels, wider or taller than " +
               std::to_string(kMaxPictureSide);
    }
    const uint64_t pixels = width * height;
    if (pixels > kMaxPicturePixels) {
        return "the picture declares " + size + " pixels, more than " +
               std::to_string(kMaxPicturePixels);
    }
    const uint64_t perByte = MaxPixelsPerByte(coding);
    if (pixels > kPixelsAnyFileMayDeclare && perByte != 0 && pixels / perByte > fileBytes) {
        return "the picture declares " + size + " pixels, more than " + std::to_string(fileBytes) +
               " bytes can hold";
    }
    return {};
}

}  // namespace platform
