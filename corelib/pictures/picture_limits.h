// How large a picture the loaders accept. Every format states its size in a
// header that a damaged or hostile file can set to anything, so a size is
// accepted only when the platform can hold such a bitmap and when the file
// is long enough to describe that many pixels with the format's best
// possible compression. Nothing is allocated for a size that fails.
#pragma once

#include <cstdint>

namespace corelib {

// The platform's own bitmap limits.
inline constexpr int64_t kMaxPictureSide = int64_t(1) << 16;
inline constexpr int64_t kMaxPicturePixels = int64_t(1) << 28;
// Small pictures need no justification: tiny files legitimately describe
// plain areas far larger than their compression ratio suggests.
inline constexpr int64_t kFreePixelAllowance = int64_t(1) << 20;

// The most pixels one byte of encoded data can stand for, per format.
// JPEG: at least one bit per 8x8 block for its DC difference and one for
// its end of block, six blocks per 16x16 unit with subsampled chroma; a
// generous bound.
inline constexpr int64_t kJpegPixelsPerByte = 512;
// PNG: deflate expands at most 1032 times, and a 1-bit row packs 8 pixels
// per byte.
inline constexpr int64_t kPngPixelsPerByte = 1032 * 8;
// GIF: a 12-bit code stands for at most 4093 pixels.
inline constexpr int64_t kGifPixelsPerByte = 4096;
// PCX: a run of 63 decoded bytes in two bytes.
inline constexpr int64_t kPcxBytesPerByte = 32;

// Within what the platform can hold as one bitmap.
inline bool WithinPictureCaps(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

inline bool PlausiblePictureSize(int64_t width, int64_t height, uint64_t encodedBytes,
                                 int64_t pixelsPerByte) {
    if (!WithinPictureCaps(width, height))
        return false;
    const int64_t pixels = width * height;
    if (pixels <= kFreePixelAllowance)
        return true;
    // encodedBytes is bounded by the caller's 32-bit sizes: no overflow.
    return uint64_t(pixels) <= encodedBytes * uint64_t(pixelsPerByte);
}

}  // namespace corelib
