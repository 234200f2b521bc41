// Reads a file of any supported format, found by probing.
#pragma once

#include <cstdint>

#include "libs/imageconv/raster_image.h"
#include "runtime/values.h"

namespace imageconv {

// 1 with the image filled, CONVERT_NO_SOURCE or CONVERT_UNREADABLE. The
// first reader whose probe accepts decides (JPEG, BMP, TIFF, PNG, PCX); a
// file none of them accepts, and that does not carry the signature of one of
// those formats, is tried as Photo CD data at 768 by 512.
int32_t LoadAnyImage(rt::ConstText path, RasterImage& image);

}  // namespace imageconv
