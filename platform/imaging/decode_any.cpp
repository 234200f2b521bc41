// Picks the decoder by the file's first bytes, never by its name.
#include <cstring>

#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"

namespace platform::imaging {

std::unique_ptr<Image> DecodeAny(Bytes file) {
    const uint8_t* d = file.data;
    if (!d || file.size == 0)
        return Refuse("the file is empty");
    if (file.size < 4)
        return Refuse("the file is too short to be a picture");
    if (d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF)
        return DecodeJpeg(file);
    if (file.size >= 8 && std::memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0)
        return DecodePng(file);
    if ((d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
        (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43))) {
        return DecodeTiff(file);
    }
    if (d[0] == 'B' && d[1] == 'M')
        return DecodeBmp(file);
    if (file.size >= 6 && std::memcmp(d, "GIF8", 4) == 0)
        return DecodeGif(file);
    if (d[0] == 0 && d[1] == 0 && (d[2] == 1 || d[2] == 2) && d[3] == 0)
        return DecodeIco(file);
    return Refuse("the file is in no picture format this program reads");
}

}  // namespace platform::imaging
