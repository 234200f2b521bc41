// Draws the gallery's sample of drawing primitives into a device context.
#pragma once

#include "platform/graphics/gdi.h"

namespace gallery {

void PaintGallery(platform::HDC dc, int width, int height);

}  // namespace gallery
