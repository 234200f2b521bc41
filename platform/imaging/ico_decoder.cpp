// Icons: the directory's largest, deepest entry is loaded; its data is a
// PNG file or a bitmap without file header and with a transparency mask.
#include <cstring>

#include "platform/imaging/codecs.h"

namespace platform::imaging {
namespace {

uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
}

}  // namespace

std::unique_ptr<Image> DecodeIco(Bytes file) {
    if (file.size < 6 || U16(file.data) != 0 ||
        (U16(file.data + 2) != 1 && U16(file.data + 2) != 2)) {
        return nullptr;
    }
    uint16_t count = U16(file.data + 4);
    if (count == 0 || 6 + size_t(count) * 16 > file.size)
        return nullptr;
    int best = -1;
    uint64_t bestScore = 0;
    for (int i = 0; i < count; ++i) {
        const uint8_t* entry = file.data + 6 + i * 16;
        uint32_t w = entry[0] ? entry[0] : 256, h = entry[1] ? entry[1] : 256;
        uint32_t depth = U16(entry + 6);
        uint64_t score = uint64_t(w) * h * 64 + depth;
        if (best < 0 || score > bestScore)
            best = i, bestScore = score;
    }
    const uint8_t* entry = file.data + 6 + best * 16;
    uint32_t size = U32(entry + 8), offset = U32(entry + 12);
    if (offset > file.size || size > file.size - offset || size < 8)
        return nullptr;
    Bytes data{file.data + offset, size};
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (std::memcmp(data.data, kPng, 8) == 0)
        return DecodePng(data);
    return DecodeIconDib(data);
}

}  // namespace platform::imaging
