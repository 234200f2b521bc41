#include <cstdlib>

#include "fuzz_input_file.h"
#include "libs/imageconv/photocd_reader.h"

// The first byte picks the resolution; the rest is the pack, padded to the
// minimum pack size so the decoder (not just the size check) runs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const auto resolution = static_cast<imageconv::PhotoCdReader::Resolution>(data[0] % 3);
    const std::string& path = imageconv_fuzz::WriteInputFile(
        data + 1, size - 1, size % 7 == 0 ? 0 : imageconv::PhotoCdReader::kMinimumFileSize);
    imageconv::RasterImage image;
    imageconv::PhotoCdReader reader(resolution);
    if (reader.Probe(path.c_str(), &image, nullptr)) {
        if (!reader.Decode() || image.width() != reader.width())
            std::abort();
    }
    return 0;
}
