// The sizes every picture reader accepts, so that a few hostile bytes can
// never cost gigabytes. Two rules, applied as soon as a reader knows the
// declared size and before it allocates anything for the pixels:
//
// 1. No picture may declare more than kMaxPicturePixels pixels (16384 by
//    16384, or any other shape of the same area; a side may not exceed
//    kMaxPictureSide). Held as 32-bit pixels that is 1 GiB.
// 2. Above kPixelsAnyFileMayDeclare (4096 by 4096), the file must be long
//    enough to hold the picture: no coding yields more pixels per byte of
//    coded data than its bound below, so a file that claims more is lying
//    about its size (a 2.4 KB JPEG declaring 60000 by 60000).
//
//   coding                     pixels per byte at most   why
//   uncompressed rows          8                          1 bit per pixel
//   PCX run-length             32                         63 bytes per 2
//   BMP run-length (RLE4/8)    128                        255 pixels per 2 bytes
//   JPEG                       1024                       Huffman coding needs a
//                                                         bit per 8x8 block, so
//                                                         512; arithmetic coding
//                                                         beyond twice that is
//                                                         refused too
//   LZW (GIF)                  2731                       4096 pixels per 12-bit code
//   LZW (TIFF)                 21846                      the same at 1 bit per pixel
//   deflate (PNG, TIFF)        8256                       deflate's 1032:1 at 1 bit
//                                                         per pixel
//   fax (TIFF)                 rule 1 only                a blank row is one bit
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr uint32_t kMaxPictureSide = 65535;
inline constexpr uint64_t kMaxPicturePixels = uint64_t(1) << 28;
inline constexpr uint64_t kPixelsAnyFileMayDeclare = uint64_t(1) << 24;

enum class PictureCoding : uint8_t {
    Uncompressed,
    PcxRunLength,
    BmpRunLength,
    Jpeg,
    GifLzw,
    TiffLzw,
    Deflate,
    Fax,
};

// Pixels one byte of `coding` can yield at most; 0 when unbounded.
uint64_t MaxPixelsPerByte(PictureCoding coding);

// Empty when a picture of `width` by `height` pixels coded as `coding` in
// `fileBytes` bytes may be read; otherwise why not, e.g. "the picture
// declares 60000 x 60000 pixels, more than 268435456".
std::string PictureSizeProblem(uint64_t width, uint64_t height, uint64_t fileBytes,
                               PictureCoding coding);

// The most memory libjpeg and libtiff may take for one picture beyond the
// pixels themselves (a progressive JPEG's coefficients, a TIFF strip).
inline constexpr long kMaxCodecMemory = 1L << 30;

}  // namespace platform
