#include <cstdlib>

#include "fuzz_input_file.h"
#include "libs/imageconv/load_any_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = imageconv_fuzz::WriteInputFile(data, size);
    imageconv::RasterImage image;
    const int32_t result = imageconv::LoadAnyImage(path.c_str(), image);
    if ((result == 1) != image.HasPixels())
        std::abort();
    if (result == 1) {
        // Every loaded image must convert to what the writers need.
        imageconv::RasterImage rgb;
        if (!image.ConvertTo(rgb, 24, 0))
            std::abort();
    }
    return 0;
}
