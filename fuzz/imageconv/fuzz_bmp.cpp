#include <cstdlib>

#include "fuzz_input_file.h"
#include "libs/imageconv/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = imageconv_fuzz::WriteInputFile(data, size);
    imageconv::RasterImage image;
    imageconv::BmpReader reader;
    if (reader.Probe(path.c_str(), &image, nullptr)) {
        const bool decoded = reader.Decode();
        // A failed decode must leave the image empty, never half-built.
        if (!decoded && image.HasPixels())
            std::abort();
        if (decoded && (image.width() != reader.width() || image.height() != reader.height())) {
            std::abort();
        }
    }
    return 0;
}
