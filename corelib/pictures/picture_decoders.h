// Internal: one loader per format. Each reads from position 0 of the source
// and answers a complete record, or null having released everything it
// built. Sizes are checked against picture_limits.h before any pixel block
// is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "corelib/pictures/picture_record.h"
#include "corelib/pictures/picture_source.h"

namespace corelib {

PictureRecord* LoadJpegPicture(PictureSource& source);
PictureRecord* LoadBmpPicture(PictureSource& source);
// ICO and CUR; preferredSize 1 takes the 32-pixel image, any other value the
// 16-pixel one.
PictureRecord* LoadIconPicture(PictureSource& source, int preferredSize);
PictureRecord* LoadGifPicture(PictureSource& source);
PictureRecord* LoadPcxPicture(const uint8_t* bytes, size_t length);
PictureRecord* LoadPngPicture(const uint8_t* bytes, size_t length);

// A record of `kind` taking over `pixels` (null when the record itself
// cannot be allocated, in which case the block is freed).
PictureRecord* MakePictureRecord(PictureKind kind, int32_t width, int32_t height, uint8_t* pixels,
                                 uint32_t size);

}  // namespace corelib
