// The runtime's own BMP reader: uncompressed 1, 4, 8, 24 and 32 bits per
// pixel.
//
// File header (14 bytes) and information header (40 bytes or longer):
//   OFFSET SIZE DESCRIPTION
//   0      2    "BM"
//   2      4    file size (not used)
//   6      4    reserved
//   10     4    offset of the pixel rows from the start of the file
//   14     4    information header size (40; 108 and 124 for later kinds)
//   18     4    width (signed; its magnitude is used)
//   22     4    height (signed; negative means top row first)
//   26     2    planes
//   28     2    bits per pixel
//   30     4    compression (only 0, none, is read)
//   34     4    image size
//   38     8    resolutions
//   46     4    colours used (0: 2 to the power of bits per pixel)
//   50     4    colours important
// The colour table (B,G,R,reserved per entry) follows the information
// header; rows are padded to 4 bytes.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "corelib/pictures/picture_decoders.h"
#include "corelib/pictures/picture_limits.h"
#include "platform/base/byte_order.h"

namespace corelib {
namespace {

constexpr size_t kHeadersSize = 54;
constexpr uint32_t kMaxInfoHeader = 1024;

// One file row to B,G,R output pixels.
void ConvertRow(const uint8_t* in, uint8_t* out, int32_t width, int bits,
                const uint8_t (*palette)[4]) {
    if (bits >= 24) {
        const int step = bits / 8;
        for (int32_t x = 0; x < width; ++x, in += step, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
        return;
    }
    // Palette rows: indices from the most significant bits of each byte.
    const int perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (int32_t x = 0; x < width; ++x, out += 3) {
        const int shift = 8 - bits * (x % perByte + 1);
        const uint8_t* entry = palette[(in[x / perByte] >> shift) & mask];
        out[0] = entry[0];
        out[1] = entry[1];
        out[2] = entry[2];
    }
}

}  // namespace

PictureRecord* LoadBmpPicture(PictureSource& source) {
    uint8_t header[kHeadersSize];
    if (!source.Seek(0) || !source.ReadExactly(header, sizeof header))
        return nullptr;
    const uint32_t pixelOffset = platform::ReadLe32(header + 10);
    const uint32_t infoSize = platform::ReadLe32(header + 14);
    const int64_t width = std::llabs(int64_t(platform::ReadLeS32(header + 18)));
    const int32_t signedHeight = platform::ReadLeS32(header + 22);
    const int64_t height = std::llabs(int64_t(signedHeight));
    const int bits = platform::ReadLe16(header + 28);
    const uint32_t compression = platform::ReadLe32(header + 30);
    const uint32_t colorsUsed = platform::ReadLe32(header + 46);
    if (infoSize < 40 || infoSize > kMaxInfoHeader || compression != 0)
        return nullptr;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return nullptr;
    if (width == 0 || height == 0)
        return nullptr;

    // The colour table starts after the information header, whatever its
    // length; entries beyond 256 could never be indexed.
    uint8_t palette[256][4] = {};
    uint64_t consumed = 14 + uint64_t(infoSize);
    if (bits <= 8) {
        const uint32_t count = std::min<uint32_t>(colorsUsed ? colorsUsed : 1u << bits, 256);
        if (!source.Seek(consumed) || !source.ReadExactly(palette, size_t(count) * 4))
            return nullptr;
        consumed += uint64_t(count) * 4;
    }
    if (pixelOffset > consumed)
        consumed = pixelOffset;
    const uint64_t rowBytes = (uint64_t(width) * bits + 31) / 32 * 4;
    // Every row must be in the file: a shorter file is refused before any
    // pixel memory is taken.
    if (!WithinPictureCaps(width, height) ||
        consumed + rowBytes * uint64_t(height) > source.Length() || !source.Seek(consumed)) {
        return nullptr;
    }
    const size_t outRow = size_t(width) * 3;
    uint8_t* block = AllocatePictureBlock(outRow * size_t(height));
    if (!block)
        return nullptr;
    // The record keeps the bottom row first, as the file normally does.
    const bool topDown = signedHeight < 0;
    std::vector<uint8_t> row(rowBytes);
    for (int64_t i = 0; i < height; ++i) {
        if (!source.ReadExactly(row.data(), row.size())) {
            FreePictureBlock(block);
            return nullptr;
        }
        const int64_t target = topDown ? height - 1 - i : i;
        ConvertRow(row.data(), block + size_t(target) * outRow, int32_t(width), bits, palette);
    }
    return MakePictureRecord(PICTURE_BMP, int32_t(width), int32_t(height), block,
                             uint32_t(outRow * size_t(height)));
}

}  // namespace corelib
