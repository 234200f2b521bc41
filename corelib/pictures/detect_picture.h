// Recognises a picture's format from its first bytes.
//
// Tests, first match wins (nothing is recognised in 5 bytes or fewer):
//   OFFSET  BYTES                          KIND
//   0       "BM"                           BMP
//   0       FF D8                          JPEG
//   0       89 "PNG"                       PNG
//   0       16-bit 0, then 1 or 2, then a  ICO (1) or CUR (2)
//           non-zero 16-bit image count
//   0       "GIF87a" or "GIF89a"           GIF
//   0       0A, version < 6, 01, 08        PCX 8-bit
//   0       0A, version 3, 01, 01          PCX 1-bit
#pragma once

#include <cstddef>
#include <cstdint>

#include "corelib/pictures/picture_record.h"

namespace corelib {

class PictureSource;

PictureKind DetectPicture(const uint8_t* bytes, size_t length);
// Tests the first 8 bytes and puts the source back at position 0; a source
// shorter than 8 bytes is not a picture.
PictureKind DetectPicture(PictureSource& source);

}  // namespace corelib
