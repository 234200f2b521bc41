// The common PNG -- 8-bit RGB or RGBA, not interlaced -- decoded without
// libpng's row-by-row zlib: the image data is inflated in one call to
// libdeflate, several times faster, and unfiltered straight into the
// picture. The caller has read and checked the header with libpng; this
// takes over at the first IDAT chunk.
//
// Anything irregular -- a chunk checksum that does not match, an IDAT after
// other chunks, a critical chunk it does not know, data that inflates to
// more or less than the rows, a filter type above 4, no IEND -- answers
// false, and the caller decodes the file through libpng from the start, so
// every refusal keeps libpng's reason and every accepted file its pixels.
#pragma once

#include "platform/imaging/codecs.h"

namespace platform::imaging {

// `idat` is the offset in `file` of the first IDAT chunk (its length
// field). Fills every row of `image` (Bgr24 or Bgra32, as the file's colour
// type says).
bool InflatePngRows(Bytes file, size_t idat, Image& image);

}  // namespace platform::imaging
