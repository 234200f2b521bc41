// The one in-memory form of every picture the runtime shows, whatever file
// it came from, and the rule that releases it.
//
// PictureRecord fields, in order (the handle and the pixel block are
// pointer-sized, the rest 32-bit):
//   kind     PictureKind
//   width    pixels
//   height   pixels
//   icon     icon handle (ICO and CUR only, null otherwise)
//   pixels   heap block (null for ICO and CUR)
//   size     bytes in `pixels`
//
// Pixel storage by kind:
//   JPEG, BMP  B,G,R per pixel, bottom row first, rows packed (width*3)
//   ICO, CUR   none; the icon handle
//   GIF        packed 8-bit device-independent bitmap: 40-byte header,
//              256-entry colour table, rows from byte 1064
//   PCX8       packed 8-bit device-independent bitmap: 40-byte header
//              (negative height: top row first), 256 entries B,G,R,0,
//              rows padded to 4 bytes from byte 1064
//   PCX1       monochrome rows of ceil(width/8) bytes rounded up to even,
//              top row first, set bits white
//   PNG        B,G,R,A per pixel, top row first, rows packed (width*4)
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graphics/gdi_types.h"

namespace corelib {

enum PictureKind : int32_t {
    PICTURE_NONE = 0,
    PICTURE_JPEG = 1,
    PICTURE_BMP = 2,
    PICTURE_ICO = 3,
    PICTURE_CUR = 4,
    PICTURE_GIF = 5,
    PICTURE_PCX8 = 6,
    PICTURE_PCX1 = 7,
    PICTURE_PNG = 8,
};

struct PictureRecord {
    int32_t kind;
    int32_t width;
    int32_t height;
    platform::HICON icon;
    uint8_t* pixels;
    uint32_t size;
};

// Offset of the first pixel row in a packed 8-bit bitmap block: the 40-byte
// header and 256 four-byte colour-table entries.
inline constexpr uint32_t kPackedBitmapPixelOffset = 40 + 256 * 4;

// A zeroed record on the process heap; null when memory is exhausted.
PictureRecord* NewPictureRecord();
// Pixel blocks live on the process heap (the one RtAlloc and RtFree use).
// Answers null instead of failing the program, so a decoder can refuse a
// picture it has no room for.
uint8_t* AllocatePictureBlock(size_t size);
void FreePictureBlock(void* block);

// The release rule: clear kind, width, height and size; destroy the icon;
// free the pixel block; free the record. Null does nothing.
void ReleasePicture(PictureRecord* record);

}  // namespace corelib
