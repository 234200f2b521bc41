// Any bytes through the imaging platform's loader: a load either fails with
// a reason or gives a whole picture within the size limits, which every
// encoder then takes; a picture in a lossless format reads back exactly.
#include <cstdlib>
#include <cstring>

#include "platform/base/picture_limits.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"

using namespace platform::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClearFailureReason();
    std::unique_ptr<Image> image = DecodeAny({data, size});
    if (!image) {
        if (FailureReason().empty())
            std::abort();  // every failure says why
        return 0;
    }
    const uint64_t pixels = uint64_t(image->width()) * image->height();
    if (pixels == 0 || pixels > platform::kMaxPicturePixels)
        std::abort();
    // Small pictures go through an encoder and back: what was decoded must
    // be a picture the encoders can take, and the lossless ones keep it.
    if (pixels <= 4096) {
        Output bmp;
        if (!EncodeBmp(*image, bmp))
            std::abort();
        std::unique_ptr<Image> again = DecodeAny({bmp.data(), bmp.size()});
        if (!again || again->width() != image->width() || again->height() != image->height() ||
            again->layout() != image->layout()) {
            std::abort();
        }
        for (uint32_t y = 0; y < image->height(); ++y) {
            if (std::memcmp(again->row(y), image->row(y), image->stride()) != 0)
                std::abort();
        }
    }
    return 0;
}
