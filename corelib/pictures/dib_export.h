// Device bitmaps out as packed bitmaps and BMP file images.
//
// BMP file image written by DibToBmpFile:
//   OFFSET SIZE DESCRIPTION
//   0      2    "BM"
//   2      4    file size: packed bitmap size + 14
//   6      4    reserved, 0
//   10     4    pixel offset: header size + 14 + 4 * colour count (the
//               colours used, else 2 ^ bits per pixel, none above 8 bits)
//   14     ...  the packed bitmap as it is: header, colour table, rows
#pragma once

#include <cstdint>

#include "corelib/buffer/byte_buffer.h"
#include "platform/graphics/gdi.h"
#include "platform/kernel/kernel.h"

namespace corelib {

// A movable memory block holding the bitmap as a packed 24-bit bitmap
// (40-byte header, bottom row first) with the given compression; 0 on
// failure. Bit-field compression is refused.
platform::kernel::MemoryHandle BitmapToDib(platform::HBITMAP bitmap, uint32_t compression,
                                           platform::HPALETTE palette);
// Appends the BMP file image of the packed bitmap in `dib` to `out`.
// Answers 1 when written, 0 when the block is missing or not a bitmap.
int DibToBmpFile(platform::kernel::MemoryHandle dib, ByteBuffer& out);
// The whole road: a movable block holding the bitmap's BMP file image.
platform::kernel::MemoryHandle BitmapToBmpBlock(platform::HBITMAP bitmap);

}  // namespace corelib
