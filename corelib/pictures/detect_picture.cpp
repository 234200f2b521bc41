#include "corelib/pictures/detect_picture.h"

#include "corelib/pictures/picture_source.h"
#include "platform/base/byte_order.h"

namespace corelib {

PictureKind DetectPicture(const uint8_t* b, size_t n) {
    if (!b || n <= 5)
        return PICTURE_NONE;
    if (b[0] == 'B' && b[1] == 'M')
        return PICTURE_BMP;
    if (b[0] == 0xFF && b[1] == 0xD8)
        return PICTURE_JPEG;
    if (b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G')
        return PICTURE_PNG;
    if (platform::ReadLe16(b) == 0 && platform::ReadLe16(b + 4) != 0) {
        const uint16_t type = platform::ReadLe16(b + 2);
        if (type == 1)
            return PICTURE_ICO;
        if (type == 2)
            return PICTURE_CUR;
    }
    if (b[0] == 'G' && b[1] == 'I' && b[2] == 'F' && b[3] == '8' && (b[4] == '7' || b[4] == '9') &&
        b[5] == 'a') {
        return PICTURE_GIF;
    }
    if (b[0] == 0x0A) {
        if (b[1] < 6 && b[2] == 1 && b[3] == 8)
            return PICTURE_PCX8;
        if (b[1] == 3 && b[2] == 1 && b[3] == 1)
            return PICTURE_PCX1;
    }
    return PICTURE_NONE;
}

PictureKind DetectPicture(PictureSource& source) {
    uint8_t head[8];
    const bool complete = source.Seek(0) && source.ReadExactly(head, sizeof head);
    source.Seek(0);
    return complete ? DetectPicture(head, sizeof head) : PICTURE_NONE;
}

}  // namespace corelib
