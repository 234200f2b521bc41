// How large a picture the loaders accept: the one policy of every picture
// reader, platform/base/picture_limits.h, in the terms the loaders use. A
// size is accepted only when the platform can hold such a bitmap and, above
// the size any file may declare, when the file is long enough to describe
// that many pixels with the format's best possible compression. Nothing is
// allocated for a size that fails.
#pragma once

#include <cstdint>

#include "platform/base/picture_limits.h"

namespace corelib {

// The codings of the loaders' formats.
inline constexpr platform::PictureCoding kJpegCoding = platform::PictureCoding::Jpeg;
inline constexpr platform::PictureCoding kPngCoding = platform::PictureCoding::Deflate;
inline constexpr platform::PictureCoding kGifCoding = platform::PictureCoding::GifLzw;
inline constexpr platform::PictureCoding kPcxCoding = platform::PictureCoding::PcxRunLength;

// Within what the platform can hold as one bitmap.
inline bool WithinPictureCaps(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= platform::kMaxPictureSide &&
           height <= platform::kMaxPictureSide &&
           uint64_t(width) * uint64_t(height) <= platform::kMaxPicturePixels;
}

inline bool PlausiblePictureSize(int64_t width, int64_t height, uint64_t encodedBytes,
                                 platform::PictureCoding coding) {
    return width > 0 && height > 0 &&
           platform::PictureSizeProblem(uint64_t(width), uint64_t(height), encodedBytes, coding)
               .empty();
}

}  // namespace corelib
