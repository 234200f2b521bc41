// Popularity quantisation on 15-bit colours: the most frequent colours of an
// image become its colour table.
#pragma once

#include <cstdint>

#include "libs/imageconv/raster_image.h"

namespace imageconv {

// Fills `target` (already created at depth 8 with `maxColours` table entries,
// same size as `source`) with at most `maxColours` colours and every pixel's
// index; shrinks the target's colour count to the number of colours used.
bool QuantiseInto(const RasterImage& source, RasterImage& target, int32_t maxColours);

// Reads row `y` of any image as red, green, blue triples (width × 3 bytes).
void ReadRowAsRgb(const RasterImage& image, int32_t y, uint8_t* rgb);

}  // namespace imageconv
