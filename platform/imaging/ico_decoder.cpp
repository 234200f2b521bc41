// Icons: the directory's largest, deepest entry is loaded; its data is a
// PNG file or a bitmap without file header and with a transparency mask.
#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"

namespace platform::imaging {

std::unique_ptr<Image> DecodeIco(Bytes file) {
    if (file.size < 6 || ReadLe16(file.data) != 0 ||
        (ReadLe16(file.data + 2) != 1 && ReadLe16(file.data + 2) != 2)) {
        return Refuse("the icon header is damaged");
    }
    uint16_t count = ReadLe16(file.data + 4);
    if (count == 0 || 6 + size_t(count) * 16 > file.size)
        return Refuse("the icon directory is damaged");
    int best = -1;
    uint64_t bestScore = 0;
    for (int i = 0; i < count; ++i) {
        const uint8_t* entry = file.data + 6 + i * 16;
        uint32_t w = entry[0] ? entry[0] : 256, h = entry[1] ? entry[1] : 256;
        uint32_t depth = ReadLe16(entry + 6);
        uint64_t score = uint64_t(w) * h * 64 + depth;
        if (best < 0 || score > bestScore)
            best = i, bestScore = score;
    }
    const uint8_t* entry = file.data + 6 + best * 16;
    uint32_t size = ReadLe32(entry + 8), offset = ReadLe32(entry + 12);
    if (offset > file.size || size > file.size - offset || size < 8)
        return Refuse("the icon's picture lies beyond the end of the file");
    Bytes data{file.data + offset, size};
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (std::memcmp(data.data, kPng, 8) == 0)
        return DecodePng(data);
    return DecodeIconDib(data);
}

}  // namespace platform::imaging
