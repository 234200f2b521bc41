// Writes 32-bit pixels as an 8-bit RGB PNG file through libpng.
#pragma once

#include <string>

#include "platform/graphics/gdi.h"

namespace platform {

// `path` is a UTF-8 path. Written through the one replace-on-success writer
// (platform/files/replacing_file.h), so a failed write never leaves a
// truncated file. Answers false with a reason.
bool WritePng(const PixelView& pixels, const std::string& path, std::string* error);

}  // namespace platform
