// ICO and CUR files: one image is chosen from the directory and handed to
// the platform's icon creation.
//
// File header (6 bytes), then one 16-byte directory entry per image:
//   OFFSET SIZE DESCRIPTION
//   0      2    reserved, 0
//   2      2    type: 1 icon, 2 cursor
//   4      2    image count, non-zero
//   entry i at 6 + 16*i:
//   0      1    width in pixels (0: 256)
//   1      1    height in pixels
//   2      1    colour count (0: 256 or more)
//   3      1    reserved
//   4      4    planes and bit count (icons), hot spot (cursors)
//   8      4    image size in bytes
//   12     4    image offset from the start of the file
// An image is either a packed bitmap whose header height counts the colour
// rows and the mask rows together, or a whole PNG file.
#include <algorithm>
#include <cstring>
#include <vector>

#include "corelib/pictures/picture_decoders.h"
#include "corelib/pictures/picture_limits.h"
#include "platform/base/byte_order.h"
#include "platform/graphics/gdi.h"

namespace corelib {
namespace {

constexpr uint32_t kIconResourceVersion = 0x30000;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The size an image declares: a packed bitmap's header width and half its
// height, or a PNG image's header size.
bool ImageSize(const std::vector<uint8_t>& image, int64_t* width, int64_t* height) {
    if (image.size() >= 24 && std::memcmp(image.data(), kPngSignature, 8) == 0) {
        *width = platform::ReadBe32(image.data() + 16);
        *height = platform::ReadBe32(image.data() + 20);
        return true;
    }
    if (image.size() < 40)
        return false;
    *width = platform::ReadLeS32(image.data() + 4);
    *height = platform::ReadLeS32(image.data() + 8) / 2;
    return true;
}

}  // namespace

PictureRecord* LoadIconPicture(PictureSource& source, int preferredSize) {
    uint8_t header[6];
    if (!source.Seek(0) || !source.ReadExactly(header, sizeof header))
        return nullptr;
    const uint16_t type = platform::ReadLe16(header + 2);
    const uint16_t count = platform::ReadLe16(header + 4);
    if (platform::ReadLe16(header) != 0 || (type != 1 && type != 2) || count == 0)
        return nullptr;

    const uint8_t wantedWidth = preferredSize == 1 ? 32 : 16;
    uint8_t entry[16];
    for (uint16_t i = 0; i < count; ++i) {
        if (!source.ReadExactly(entry, sizeof entry))
            return nullptr;
        // Sixteen colours or more; a count of 0 stands for 256 or more.
        const bool enoughColors = entry[2] >= 16 || entry[2] == 0;
        if (enoughColors && entry[0] == wantedWidth)
            break;
    }
    const uint32_t imageSize = platform::ReadLe32(entry + 8);
    const uint32_t imageOffset = platform::ReadLe32(entry + 12);
    if (imageSize == 0 || uint64_t(imageOffset) + imageSize > source.Length())
        return nullptr;
    std::vector<uint8_t> image(imageSize);
    if (!source.Seek(imageOffset) || !source.ReadExactly(image.data(), image.size()))
        return nullptr;
    int64_t width = 0, height = 0;
    if (!ImageSize(image, &width, &height) || !WithinPictureCaps(width, height))
        return nullptr;

    const bool isIcon = type == 1;
    platform::HICON icon = platform::CreateIconFromResourceEx(
        image.data(), imageSize, isIcon, kIconResourceVersion, int(width), int(height), 0);
    const bool sixteenBit = image.size() >= 16 && platform::ReadLe16(image.data() + 14) == 16;
    if (!icon && !sixteenBit) {
        icon = platform::CreateIconFromResourceEx(image.data(), imageSize, isIcon,
                                                  kIconResourceVersion, 0, 0, 0);
    }
    if (!icon)
        return nullptr;
    PictureRecord* record = NewPictureRecord();
    if (!record) {
        platform::DestroyIcon(icon);
        return nullptr;
    }
    record->kind = isIcon ? PICTURE_ICO : PICTURE_CUR;
    record->width = int32_t(width);
    record->height = int32_t(height);
    record->icon = icon;
    return record;
}

}  // namespace corelib
