// What every file reader must uphold on any input, checked the same way by
// each reader's fuzz target.
#pragma once

#include <cstdlib>
#include <string>

#include "libs/imageconv/image_codec.h"
#include "libs/imageconv/raster_image.h"

namespace imageconv_fuzz {

// Probes and decodes `path`. A failed decode must leave the image empty,
// never half-built; a successful one must have the size the probe found.
// Aborts otherwise, so that the fuzzer reports the input.
inline void CheckProbeAndDecode(imageconv::ImageReader& reader, const std::string& path) {
    imageconv::RasterImage image;
    if (!reader.Probe(path.c_str(), &image, nullptr))
        return;
    const bool decoded = reader.Decode();
    if (!decoded && image.HasPixels())
        std::abort();
    if (decoded && (image.width() != reader.width() || image.height() != reader.height()))
        std::abort();
}

}  // namespace imageconv_fuzz
